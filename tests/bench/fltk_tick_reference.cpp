// The floor under sondrix's CPU figure: a bare FLTK window whose only work is a time-out every
// 10 ms, the period of the configurator's receive timer. sondrix_cpu_bench.sh runs it beside
// sondrix, so that both figures come from the same machine at the same moment.

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>

namespace {

constexpr double TickSeconds = 0.010;

void Tick(void*) {
    Fl::repeat_timeout(TickSeconds, Tick);
}

} // namespace

int main() {
    Fl_Double_Window window(300, 100, "fltk_tick_reference");
    Fl_Box box(10, 10, 280, 80, "10 ms ticks");
    window.end();
    window.show();
    Fl::add_timeout(TickSeconds, Tick);
    return Fl::run();
}
