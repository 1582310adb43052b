#pragma once
// The standard controls: labels, edits, buttons, check boxes, combo boxes, group boxes, panels,
// tab sheets and images.

#include <cstdint>
#include <vector>

#include "platform/vcl/controls.h"
#include "platform/vcl/strings.h"

class TLabel : public TControl {
  public:
    explicit TLabel(TComponent* owner) : TControl(owner) {}
    UnicodeString ClassName() const override { return u"TLabel"; }
};

class TEdit : public TWinControl {
  public:
    explicit TEdit(TComponent* owner);
    UnicodeString ClassName() const override { return u"TEdit"; }

    bool ReadOnly() const { return readOnly; }
    void SetReadOnly(bool value);

    // Fires on every change of the text, typed or set from code.
    TNotifyEvent OnChange;

  protected:
    void SetTextValue(const UnicodeString& value) override;

  private:
    bool readOnly = false;
};

class TButton : public TWinControl {
  public:
    explicit TButton(TComponent* owner) : TWinControl(owner) {}
    UnicodeString ClassName() const override { return u"TButton"; }

    // Runs OnClick, as a click does.
    void Click();
    TNotifyEvent OnClick;
};

class TCheckBox : public TWinControl {
  public:
    explicit TCheckBox(TComponent* owner) : TWinControl(owner) {}
    UnicodeString ClassName() const override { return u"TCheckBox"; }

    bool Checked() const { return checked; }
    // From code: changes the mark only. A click by the user also runs OnClick.
    void SetChecked(bool value);
    TNotifyEvent OnClick;

  private:
    bool checked = false;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TWinControl {
  public:
    explicit TComboBox(TComponent* owner);
    UnicodeString ClassName() const override { return u"TComboBox"; }

    TStrings& Items() { return items; }
    const TStrings& Items() const { return items; }
    // -1 when nothing is selected. Setting it from code fires nothing; an index outside the list
    // clears the selection. The text follows the selected item.
    int ItemIndex() const { return itemIndex; }
    void SetItemIndex(int value);
    TComboBoxStyle Style() const { return style; }
    void SetStyle(TComboBoxStyle value);
    // Empties the list, the selection and the text.
    void Clear();

    // Fires only when the user changes the selection.
    TNotifyEvent OnChange;

  private:
    void ItemsChanged();
    TStrings items;
    int itemIndex = -1;
    TComboBoxStyle style = csDropDown;
};

class TGroupBox : public TWinControl {
  public:
    explicit TGroupBox(TComponent* owner) : TWinControl(owner) {}
    UnicodeString ClassName() const override { return u"TGroupBox"; }
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
  public:
    explicit TPanel(TComponent* owner) : TWinControl(owner) {}
    UnicodeString ClassName() const override { return u"TPanel"; }

    TBevelCut BevelOuter() const { return bevelOuter; }
    void SetBevelOuter(TBevelCut value);

  private:
    TBevelCut bevelOuter = bvRaised;
};

class TTabSheet : public TWinControl {
  public:
    explicit TTabSheet(TComponent* owner) : TWinControl(owner) {}
    UnicodeString ClassName() const override { return u"TTabSheet"; }

    bool TabVisible() const { return tabVisible; }
    void SetTabVisible(bool value);

  private:
    bool tabVisible = true;
};

// A picture control holding a PNG image (the framework's TPngImage), drawn centred.
class TImage : public TControl {
  public:
    explicit TImage(TComponent* owner) : TControl(owner) {}
    UnicodeString ClassName() const override { return u"TImage"; }

    const std::vector<std::uint8_t>& Png() const { return png; }
    void LoadPng(std::vector<std::uint8_t> bytes);

  private:
    std::vector<std::uint8_t> png;
};
