#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "configurator/field_checks.h"
#include "platform/vcl/user_input.h"
#include "tests/configurator/main_window_fixture.h"

namespace {

using vcl::headless::MessageBoxes;

enum class Outcome { Accepted, Refused, Unchecked };

struct FieldChecksTest : testing_support::ShownWindowTest {

    TEdit& Field(const char16_t* name) { return *dynamic_cast<TEdit*>(form.FindComponent(name)); }

    // Types the text into the field and leaves it for Edit1; true when the focus could leave.
    bool TypeAndLeave(TEdit& edit, const UnicodeString& text) {
        vcl::UserType(edit, text);
        return vcl::UserFocus(*form.Edit1);
    }
};

TEST_F(FieldChecksTest, LeavingAFieldChecksItsTextAgainstItsRange) {
    ConnectWaitingLink();
    struct Row {
        const char16_t* field;
        const char16_t* text;
        Outcome outcome;
        const char16_t* name; // shown in the refusal
    };
    const Row rows[] = {
        {u"Edit2", u"65535", Outcome::Accepted, u""},
        {u"Edit2", u"65536", Outcome::Refused, u"корпуса (0 - 65535)"},
        {u"Edit10", u"1", Outcome::Accepted, u""},
        {u"Edit10", u"254", Outcome::Accepted, u""},
        {u"Edit10", u"0", Outcome::Refused, u"адреса (0 - 255)"},
        {u"Edit10", u"255", Outcome::Refused, u"адреса (0 - 255)"},
        {u"Edit3", u"-0", Outcome::Accepted, u""},
        {u"Edit3", u"-1", Outcome::Refused, u"трубки (0 - 65535)"},
        {u"Edit9", u"0000000001", Outcome::Accepted, u""},
        {u"Edit9", u"00000000001", Outcome::Refused, u"длины трубки (0 - 65535)"},
        {u"Edit4", u" 5", Outcome::Refused, u"топлива (0 - 65535)"},
        {u"Edit4", u"5 ", Outcome::Refused, u"топлива (0 - 65535)"},
        {u"Edit4", u"+5", Outcome::Refused, u"топлива (0 - 65535)"},
        {u"Edit4", u"1e3", Outcome::Refused, u"топлива (0 - 65535)"},
        {u"Edit4", u"0x10", Outcome::Refused, u"топлива (0 - 65535)"},
        {u"Edit4", u"", Outcome::Refused, u"топлива (0 - 65535)"},
        {u"Edit4", u"\u0663", Outcome::Refused, u"топлива (0 - 65535)"}, // a digit, but not an ASCII one
        // No 32-bit number: a lone sign, and ten digits that would wrap to 1.
        {u"Edit4", u"-", Outcome::Refused, u"топлива (0 - 65535)"},
        {u"Edit2", u"4294967297", Outcome::Refused, u"корпуса (0 - 65535)"},
        {u"Edit13", u"abc", Outcome::Unchecked, u""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(UnicodeString(row.field).ToUtf8() + " '" + UnicodeString(row.text).ToUtf8() + "'");
        TEdit& edit = Field(row.field);
        edit.SetColor(clWhite);
        vcl::headless::Reset();
        const bool left = TypeAndLeave(edit, row.text);
        EXPECT_EQ(left, row.outcome != Outcome::Refused);
        EXPECT_EQ(edit.Color(), row.outcome == Outcome::Accepted ? clLightGreen : clWhite);
        EXPECT_EQ(edit.Text(), UnicodeString(row.text)); // never corrected
        if (row.outcome != Outcome::Refused) {
            EXPECT_TRUE(MessageBoxes().empty());
            continue;
        }
        EXPECT_EQ(form.ActiveControl(), &edit);
        ASSERT_EQ(MessageBoxes().size(), 1u);
        EXPECT_EQ(MessageBoxes()[0].text, u"Некорректное значение в поле " + UnicodeString(row.name));
        EXPECT_EQ(MessageBoxes()[0].caption, UnicodeString(u"Ошибка ввода"));
        EXPECT_EQ(MessageBoxes()[0].owner, form.Handle());
        EXPECT_EQ(MessageBoxes()[0].type, MB_OK);
        // A value every range takes lets the focus go on to the next row's field.
        edit.SetText(u"1");
        ASSERT_TRUE(vcl::UserFocus(*form.Edit1));
    }
}

TEST_F(FieldChecksTest, NoSensorMeansNoCheck) {
    EXPECT_TRUE(TypeAndLeave(*form.Edit2, u"буквы"));
    EXPECT_EQ(form.Edit2->Color(), clWhite);
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(FieldChecksTest, HiddenFieldPassesUncheckedAndARefusalKeepsTheEarlierGreen) {
    ConnectWaitingLink();
    form.GroupBox2->Hide();
    EXPECT_TRUE(TypeAndLeave(*form.Edit2, u"abc"));
    EXPECT_EQ(form.Edit2->Color(), clLightGreen);
    form.Edit10->Hide();
    EXPECT_TRUE(TypeAndLeave(*form.Edit10, u"0"));
    EXPECT_EQ(form.Edit10->Color(), clLightGreen);
    EXPECT_TRUE(MessageBoxes().empty());

    EXPECT_TRUE(TypeAndLeave(*form.Edit9, u"1500"));
    EXPECT_FALSE(TypeAndLeave(*form.Edit9, u"70000"));
    EXPECT_EQ(form.Edit9->Color(), clLightGreen);
}

TEST(IsControlShown, OwnFlagAndTheDirectParentOnlyWhereATabSheetCountsByItsTab) {
    struct Row {
        bool sheet;      // parent is a tab sheet, else a group box
        bool parentFlag; // the parent's Visible
        bool tabVisible;
        bool ownFlag;
        bool grandparentVisible;
        bool shown;
    };
    const Row rows[] = {
        {false, true, true, true, true, true},   {false, false, true, true, true, false},
        {false, true, true, false, true, false}, {false, true, true, true, false, true},
        {true, false, true, true, true, true},   {true, true, false, true, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.sheet << row.parentFlag << row.tabVisible << row.ownFlag
                                          << row.grandparentVisible);
        auto grandparent = std::make_unique<TGroupBox>(nullptr);
        TWinControl* parent = nullptr;
        if (row.sheet) {
            auto* sheet = new TTabSheet(grandparent.get());
            sheet->SetTabVisible(row.tabVisible);
            parent = sheet;
        } else {
            parent = new TGroupBox(grandparent.get());
        }
        parent->SetParent(grandparent.get());
        parent->SetVisible(row.parentFlag);
        grandparent->SetVisible(row.grandparentVisible);
        auto* edit = new TEdit(grandparent.get());
        edit->SetParent(parent);
        edit->SetVisible(row.ownFlag);
        EXPECT_EQ(IsControlShown(edit), row.shown);
        // A control that is not shown passes whatever it holds.
        if (!row.shown) {
            EXPECT_TRUE(CheckIntField(edit, TString("x"), nullptr, 0, 1));
        }
    }
}

} // namespace
