#pragma once
// Builds a form from its layout, the data a form resource holds: the form's own settings, then
// every component in resource order with its parent, place, size and properties.

#include <string_view>
#include <vector>

#include "platform/vcl/forms.h"

namespace vcl {

// One property as the resource writes it, in text: "Caption", "Text", "Visible" (True/False),
// "ReadOnly", "Enabled", "Items" (one item per line), "ItemIndex", "Style" (csDropDown,
// csDropDownList), "Interval", "InitialDir", "DefaultExt", "Filter", "Font.Height",
// "Font.Style" (fsBold), "BevelOuter" (bvNone, bvLowered, bvRaised), "TabVisible".
struct LayoutProperty {
    std::string_view name;
    std::u16string_view value;
};

struct LayoutEntry {
    std::string_view className;
    std::string_view name;
    std::string_view parent; // empty: the form itself
    int left, top, width, height;
    std::vector<LayoutProperty> properties;
};

struct FormLayout {
    std::u16string_view caption;
    int clientWidth, clientHeight;
    bool centred;
    TFont font;
    std::vector<LayoutEntry> components;
};

// Creates every component, owned by the form, in the layout's order. An unknown class, parent or
// property, or a value that does not read, throws Exception naming the component: a broken
// layout must not come up as a half-built window.
void ReadForm(TForm& form, const FormLayout& layout);

// The component classes a layout may name.
TComponent* CreateComponent(std::string_view className, TComponent* owner);

} // namespace vcl
