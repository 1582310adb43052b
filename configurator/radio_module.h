#pragma once
// The radio module's add mode lives in Button8's caption: the button offers what a click does.

inline constexpr const char16_t* AddModeOffCaption = u"Режим добавления";
inline constexpr const char16_t* AddModeOnCaption = u"Выключить режим";
// How long the add mode runs; Label11 counts it down and its zero ends the mode.
inline constexpr int AddModeSeconds = 300;
