#pragma once
// The window's font: Tahoma where the machine has it, else DejaVu Sans, which carries Cyrillic.

#include <FL/Enumerations.H>

#include "platform/vcl/graphics.h"

namespace vcl::fltk {

// Installs the chosen family as the normal and bold faces; runs once before any widget draws.
void ChooseFonts();
Fl_Font FontFace(const TFont& font);
// The character height of the form's font, in FLTK's size unit.
Fl_Fontsize FontSize(const TFont& font);

} // namespace vcl::fltk
