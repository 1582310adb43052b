#include "platform/vcl/fltk/fonts.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <FL/Fl.H>
#include <fontconfig/fontconfig.h>

namespace vcl::fltk {

namespace {

// True when fontconfig knows a face of exactly this family (not a substitute).
bool HasFamily(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* found = FcFontList(nullptr, pattern, fields);
    bool has = found && found->nfont > 0;
    if (found) FcFontSetDestroy(found);
    FcObjectSetDestroy(fields);
    FcPatternDestroy(pattern);
    return has;
}

} // namespace

void ChooseFonts() {
    static bool chosen = false;
    if (chosen) return;
    chosen = true;
    // FLTK's Xft names: a leading blank for the normal face, 'B' for bold.
    static std::string normal, bold;
    const char* family = HasFamily("Tahoma") ? "Tahoma" : "DejaVu Sans";
    normal = std::string(" ") + family;
    bold = std::string("B") + family;
    Fl::set_font(FL_HELVETICA, normal.c_str());
    Fl::set_font(FL_HELVETICA_BOLD, bold.c_str());
}

Fl_Font FontFace(const TFont& font) {
    return font.Bold ? FL_HELVETICA_BOLD : FL_HELVETICA;
}

Fl_Fontsize FontSize(const TFont& font) {
    int pixels = std::abs(font.Height);
    return static_cast<Fl_Fontsize>(pixels < 8 ? 11 : pixels);
}

} // namespace vcl::fltk
