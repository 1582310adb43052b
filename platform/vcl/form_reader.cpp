#include "platform/vcl/form_reader.h"

#include <functional>
#include <map>

#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/std_ctrls.h"

namespace vcl {

namespace {

[[noreturn]] void Broken(const LayoutEntry& entry, std::string_view what) {
    throw Exception(u"Layout of " + System::UnicodeString::FromUtf8(entry.name) + u": " +
                    System::UnicodeString::FromUtf8(what));
}

bool ReadBool(const LayoutEntry& entry, std::u16string_view value) {
    if (value == u"True") return true;
    if (value == u"False") return false;
    Broken(entry, "True or False expected");
}

std::vector<UnicodeString> ReadLines(std::u16string_view value) {
    std::vector<UnicodeString> lines;
    while (!value.empty()) {
        std::size_t end = value.find(u'\n');
        lines.emplace_back(value.substr(0, end));
        value = end == std::u16string_view::npos ? std::u16string_view() : value.substr(end + 1);
    }
    return lines;
}

template <class T> T& As(TComponent& component, const LayoutEntry& entry) {
    if (auto* typed = dynamic_cast<T*>(&component)) return *typed;
    Broken(entry, "property does not belong to its class");
}

using Setter = std::function<void(TComponent&, const LayoutEntry&, std::u16string_view)>;

const std::map<std::string_view, Setter>& Setters() {
    static const std::map<std::string_view, Setter> setters{
        {"Caption", [](auto& c, auto& e, auto v) { As<TControl>(c, e).SetCaption(UnicodeString(v)); }},
        {"Text", [](auto& c, auto& e, auto v) { As<TControl>(c, e).SetText(UnicodeString(v)); }},
        {"Visible", [](auto& c, auto& e, auto v) { As<TControl>(c, e).SetVisible(ReadBool(e, v)); }},
        {"Enabled", [](auto& c, auto& e, auto v) { As<TControl>(c, e).SetEnabled(ReadBool(e, v)); }},
        {"ReadOnly", [](auto& c, auto& e, auto v) { As<TEdit>(c, e).SetReadOnly(ReadBool(e, v)); }},
        {"Items", [](auto& c, auto& e, auto v) { As<TComboBox>(c, e).Items().Assign(ReadLines(v)); }},
        {"ItemIndex",
         [](auto& c, auto& e, auto v) { As<TComboBox>(c, e).SetItemIndex(UnicodeString(v).ToInt()); }},
        {"Style",
         [](auto& c, auto& e, auto v) {
             if (v != u"csDropDownList" && v != u"csDropDown") Broken(e, "unknown combo box style");
             As<TComboBox>(c, e).SetStyle(v == u"csDropDownList" ? csDropDownList : csDropDown);
         }},
        {"Interval",
         [](auto& c, auto& e, auto v) {
             As<TTimer>(c, e).SetInterval(static_cast<unsigned>(UnicodeString(v).ToInt()));
         }},
        {"InitialDir", [](auto& c, auto& e, auto v) { As<TOpenDialog>(c, e).InitialDir = UnicodeString(v); }},
        {"DefaultExt", [](auto& c, auto& e, auto v) { As<TOpenDialog>(c, e).DefaultExt = UnicodeString(v); }},
        {"Filter", [](auto& c, auto& e, auto v) { As<TOpenDialog>(c, e).Filter = UnicodeString(v); }},
        {"Font.Height",
         [](auto& c, auto& e, auto v) {
             TFont font = As<TControl>(c, e).Font();
             font.Height = UnicodeString(v).ToInt();
             As<TControl>(c, e).SetFont(font);
         }},
        {"Font.Style",
         [](auto& c, auto& e, auto v) {
             if (v != u"fsBold") Broken(e, "unknown font style");
             TFont font = As<TControl>(c, e).Font();
             font.Bold = true;
             As<TControl>(c, e).SetFont(font);
         }},
        {"BevelOuter",
         [](auto& c, auto& e, auto v) {
             TBevelCut cut = v == u"bvNone" ? bvNone : v == u"bvLowered" ? bvLowered : bvRaised;
             if (cut == bvRaised && v != u"bvRaised") Broken(e, "unknown bevel");
             As<TPanel>(c, e).SetBevelOuter(cut);
         }},
        {"TabVisible", [](auto& c, auto& e, auto v) { As<TTabSheet>(c, e).SetTabVisible(ReadBool(e, v)); }},
    };
    return setters;
}

TWinControl* FindParent(TForm& form, const LayoutEntry& entry) {
    if (entry.parent.empty()) return &form;
    auto* parent =
        dynamic_cast<TWinControl*>(form.FindComponent(System::UnicodeString::FromUtf8(entry.parent)));
    if (!parent) Broken(entry, "parent is not a windowed control read before it");
    return parent;
}

void ReadEntry(TForm& form, const LayoutEntry& entry) {
    if (form.FindComponent(System::UnicodeString::FromUtf8(entry.name))) Broken(entry, "name used twice");
    TComponent* component = CreateComponent(entry.className, &form);
    if (!component) Broken(entry, "unknown class");
    component->SetName(System::UnicodeString::FromUtf8(entry.name));
    if (auto* control = dynamic_cast<TControl*>(component)) {
        control->SetParent(FindParent(form, entry));
        control->SetBounds(entry.left, entry.top, entry.width, entry.height);
        control->SetFont(form.Font());
    }
    for (const LayoutProperty& property : entry.properties) {
        auto setter = Setters().find(property.name);
        if (setter == Setters().end()) Broken(entry, "unknown property");
        try {
            setter->second(*component, entry, property.value);
        } catch (const EConvertError&) {
            Broken(entry, "value does not read as a number");
        }
    }
}

} // namespace

TComponent* CreateComponent(std::string_view className, TComponent* owner) {
    static const std::map<std::string_view, TComponent* (*)(TComponent*)> factories{
        {"TLabel", [](TComponent* o) -> TComponent* { return new TLabel(o); }},
        {"TEdit", [](TComponent* o) -> TComponent* { return new TEdit(o); }},
        {"TButton", [](TComponent* o) -> TComponent* { return new TButton(o); }},
        {"TCheckBox", [](TComponent* o) -> TComponent* { return new TCheckBox(o); }},
        {"TComboBox", [](TComponent* o) -> TComponent* { return new TComboBox(o); }},
        {"TGroupBox", [](TComponent* o) -> TComponent* { return new TGroupBox(o); }},
        {"TPanel", [](TComponent* o) -> TComponent* { return new TPanel(o); }},
        {"TTabSheet", [](TComponent* o) -> TComponent* { return new TTabSheet(o); }},
        {"TImage", [](TComponent* o) -> TComponent* { return new TImage(o); }},
        {"TTimer", [](TComponent* o) -> TComponent* { return new TTimer(o); }},
        {"TOpenDialog", [](TComponent* o) -> TComponent* { return new TOpenDialog(o); }},
    };
    auto found = factories.find(className);
    return found == factories.end() ? nullptr : found->second(owner);
}

void ReadForm(TForm& form, const FormLayout& layout) {
    form.SetCaption(UnicodeString(layout.caption));
    form.SetFont(layout.font);
    form.SetClientWidth(layout.clientWidth);
    form.SetClientHeight(layout.clientHeight);
    form.SetCentered(layout.centred);
    for (const LayoutEntry& entry : layout.components)
        ReadEntry(form, entry);
}

} // namespace vcl
