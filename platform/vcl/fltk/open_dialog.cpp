// The open dialog on FLTK's own file chooser. The native chooser runs the desktop toolkit's loop on
// X11, under which no FLTK time-out fires; the program's timers must keep running under a modal
// dialog, as its link to the sensor depends on them.

#include <string>

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/filename.H>

#include "platform/vcl/backend.h"
#include "platform/vcl/ext_ctrls.h"

namespace vcl::backend {

namespace {

// "Name|pattern|Name|pattern" as FLTK's chooser wants it: "Name (pattern)" entries, one a tab.
std::string ChooserPattern(const UnicodeString& filter) {
    std::string in = filter.ToUtf8(), out;
    bool pattern = false;
    for (char c : in) {
        if (c != '|') {
            out += c;
            continue;
        }
        out += pattern ? ")\t" : " (";
        pattern = !pattern;
    }
    if (pattern) out += ')';
    return out.empty() ? std::string("*") : out;
}

// A folder that does not exist leaves the chooser in the current folder.
std::string StartFolder(const UnicodeString& initialDir) {
    std::string folder = initialDir.ToUtf8();
    return !folder.empty() && fl_filename_isdir(folder.c_str()) ? folder : std::string(".");
}

// A name typed without its folder lies in the folder the chooser shows.
std::string FullPath(const char* chosen, const char* folder) {
    if (chosen[0] == '/' || !folder) return chosen;
    std::string base = folder;
    if (base.empty() || base.back() != '/') base += '/';
    return base + chosen;
}

} // namespace

bool ExecuteOpenDialog(TOpenDialog& dialog) {
    const std::string folder = StartFolder(dialog.InitialDir), pattern = ChooserPattern(dialog.Filter);
    const std::string title = dialog.Title.ToUtf8();
    Fl_File_Chooser chooser(folder.c_str(), pattern.c_str(), Fl_File_Chooser::SINGLE,
                            title.empty() ? nullptr : title.c_str());
    chooser.show();
    while (chooser.shown())
        Fl::wait();
    const char* chosen = chooser.value();
    if (!chosen || !*chosen) return false;
    dialog.FileName = UnicodeString::FromUtf8(FullPath(chosen, chooser.directory()));
    return true;
}

} // namespace vcl::backend
