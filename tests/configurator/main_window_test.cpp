#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/configurator/main_window_fixture.h"

namespace {

using testing_support::MainWindowTest;

struct TreeRow {
    const char16_t* name;
    const char16_t* className;
    const char16_t* parent; // empty: the form
};

// The window's components in the order the form resource lists them.
const std::vector<TreeRow>& ExpectedTree() {
    static const std::vector<TreeRow> rows{
        {u"Label14", u"TLabel", u""},
        {u"Label15", u"TLabel", u""},
        {u"Label10", u"TLabel", u""},
        {u"Label11", u"TLabel", u""},
        {u"Image2", u"TImage", u""},
        {u"Label1", u"TLabel", u""},
        {u"Image1", u"TImage", u""},
        {u"Label12", u"TLabel", u""},
        {u"Label13", u"TLabel", u""},
        {u"Edit11", u"TEdit", u""},
        {u"Edit12", u"TEdit", u""},
        {u"Button5", u"TButton", u""},
        {u"GroupBox3", u"TGroupBox", u""},
        {u"Label9", u"TLabel", u"GroupBox3"},
        {u"Button1", u"TButton", u"GroupBox3"},
        {u"Button2", u"TButton", u"GroupBox3"},
        {u"Button3", u"TButton", u"GroupBox3"},
        {u"Button4", u"TButton", u"GroupBox3"},
        {u"Edit9", u"TEdit", u"GroupBox3"},
        {u"Button6", u"TButton", u"GroupBox3"},
        {u"Edit10", u"TEdit", u""},
        {u"GroupBox5", u"TGroupBox", u""},
        {u"Label33", u"TLabel", u"GroupBox5"},
        {u"Label34", u"TLabel", u"GroupBox5"},
        {u"Label35", u"TLabel", u"GroupBox5"},
        {u"Label37", u"TLabel", u"GroupBox5"},
        {u"Label41", u"TLabel", u"GroupBox5"},
        {u"Label42", u"TLabel", u"GroupBox5"},
        {u"Label43", u"TLabel", u"GroupBox5"},
        {u"Label44", u"TLabel", u"GroupBox5"},
        {u"Edit23", u"TEdit", u"GroupBox5"},
        {u"Edit24", u"TEdit", u"GroupBox5"},
        {u"Edit27", u"TEdit", u"GroupBox5"},
        {u"Edit28", u"TEdit", u"GroupBox5"},
        {u"Edit32", u"TEdit", u"GroupBox5"},
        {u"Edit33", u"TEdit", u"GroupBox5"},
        {u"Edit34", u"TEdit", u"GroupBox5"},
        {u"Edit35", u"TEdit", u"GroupBox5"},
        {u"GroupBox4", u"TGroupBox", u""},
        {u"Label27", u"TLabel", u"GroupBox4"},
        {u"Label28", u"TLabel", u"GroupBox4"},
        {u"Label29", u"TLabel", u"GroupBox4"},
        {u"Label30", u"TLabel", u"GroupBox4"},
        {u"Label32", u"TLabel", u"GroupBox4"},
        {u"Label38", u"TLabel", u"GroupBox4"},
        {u"Label39", u"TLabel", u"GroupBox4"},
        {u"Edit18", u"TEdit", u"GroupBox4"},
        {u"Edit19", u"TEdit", u"GroupBox4"},
        {u"Edit20", u"TEdit", u"GroupBox4"},
        {u"Edit21", u"TEdit", u"GroupBox4"},
        {u"Edit22", u"TEdit", u"GroupBox4"},
        {u"Edit29", u"TEdit", u"GroupBox4"},
        {u"Edit30", u"TEdit", u"GroupBox4"},
        {u"Button7", u"TButton", u""},
        {u"GroupBox1", u"TGroupBox", u""},
        {u"Label21", u"TLabel", u"GroupBox1"},
        {u"Label22", u"TLabel", u"GroupBox1"},
        {u"Label23", u"TLabel", u"GroupBox1"},
        {u"Label24", u"TLabel", u"GroupBox1"},
        {u"Edit13", u"TEdit", u"GroupBox1"},
        {u"Edit14", u"TEdit", u"GroupBox1"},
        {u"Edit15", u"TEdit", u"GroupBox1"},
        {u"ComboBox3", u"TComboBox", u"GroupBox1"},
        {u"Button8", u"TButton", u"GroupBox1"},
        {u"Button9", u"TButton", u"GroupBox1"},
        {u"GroupBox12", u"TGroupBox", u""},
        {u"Label31", u"TLabel", u"GroupBox12"},
        {u"Label36", u"TLabel", u"GroupBox12"},
        {u"Label6", u"TLabel", u"GroupBox12"},
        {u"Label7", u"TLabel", u"GroupBox12"},
        {u"Label8", u"TLabel", u"GroupBox12"},
        {u"Label20", u"TLabel", u"GroupBox12"},
        {u"Label25", u"TLabel", u"GroupBox12"},
        {u"Label26", u"TLabel", u"GroupBox12"},
        {u"Edit25", u"TEdit", u"GroupBox12"},
        {u"Edit26", u"TEdit", u"GroupBox12"},
        {u"Edit6", u"TEdit", u"GroupBox12"},
        {u"Edit7", u"TEdit", u"GroupBox12"},
        {u"Edit8", u"TEdit", u"GroupBox12"},
        {u"Edit5", u"TEdit", u"GroupBox12"},
        {u"Edit16", u"TEdit", u"GroupBox12"},
        {u"Edit17", u"TEdit", u"GroupBox12"},
        {u"GroupBox2", u"TGroupBox", u""},
        {u"Label2", u"TLabel", u"GroupBox2"},
        {u"Label3", u"TLabel", u"GroupBox2"},
        {u"Label4", u"TLabel", u"GroupBox2"},
        {u"Label5", u"TLabel", u"GroupBox2"},
        {u"Label16", u"TLabel", u"GroupBox2"},
        {u"Label17", u"TLabel", u"GroupBox2"},
        {u"Label18", u"TLabel", u"GroupBox2"},
        {u"Label19", u"TLabel", u"GroupBox2"},
        {u"ComboBox1", u"TComboBox", u"GroupBox2"},
        {u"ComboBox4", u"TComboBox", u"GroupBox2"},
        {u"Edit2", u"TEdit", u"GroupBox2"},
        {u"Edit3", u"TEdit", u"GroupBox2"},
        {u"Edit4", u"TEdit", u"GroupBox2"},
        {u"CheckBox1", u"TCheckBox", u"GroupBox2"},
        {u"CheckBox2", u"TCheckBox", u"GroupBox2"},
        {u"ComboBox2", u"TComboBox", u"GroupBox2"},
        {u"Edit1", u"TEdit", u""},
        {u"Panel2", u"TPanel", u""},
        {u"Label40", u"TLabel", u"Panel2"},
        {u"Button10", u"TButton", u"Panel2"},
        {u"Edit31", u"TEdit", u"Panel2"},
        {u"GroupBox6", u"TGroupBox", u""},
        {u"Label45", u"TLabel", u"GroupBox6"},
        {u"Label46", u"TLabel", u"GroupBox6"},
        {u"Label47", u"TLabel", u"GroupBox6"},
        {u"Label48", u"TLabel", u"GroupBox6"},
        {u"Label50", u"TLabel", u"GroupBox6"},
        {u"Edit36", u"TEdit", u"GroupBox6"},
        {u"Edit37", u"TEdit", u"GroupBox6"},
        {u"Edit38", u"TEdit", u"GroupBox6"},
        {u"Edit39", u"TEdit", u"GroupBox6"},
        {u"Edit41", u"TEdit", u"GroupBox6"},
        {u"Timer1", u"TTimer", u""},
        {u"Timer2", u"TTimer", u""},
        {u"OpenDialog1", u"TOpenDialog", u""},
    };
    return rows;
}

std::string Utf8(const UnicodeString& text) {
    return text.ToUtf8();
}

TEST_F(MainWindowTest, ComponentsStandInResourceOrderWithTheirClassesAndParents) {
    TForm1& form = CreateWindow();
    const auto& expected = ExpectedTree();
    ASSERT_EQ(form.ComponentCount(), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        TComponent* component = form.Components(static_cast<int>(i));
        SCOPED_TRACE(Utf8(expected[i].name));
        EXPECT_EQ(component->Name(), UnicodeString(expected[i].name));
        EXPECT_EQ(component->ClassName(), UnicodeString(expected[i].className));
        EXPECT_EQ(component->Owner(), &form);
        auto* control = dynamic_cast<TControl*>(component);
        if (!control) continue;
        TComponent* parent = std::u16string_view(expected[i].parent).empty()
                                 ? static_cast<TComponent*>(&form)
                                 : form.FindComponent(expected[i].parent);
        EXPECT_EQ(control->Parent(), parent);
    }
    // The published fields point at these very components.
    EXPECT_EQ(form.FindComponent(u"Edit9"), form.Edit9);
    EXPECT_EQ(form.FindComponent(u"GroupBox5"), form.GroupBox5);
    EXPECT_EQ(form.FindComponent(u"OpenDialog1"), form.OpenDialog1);
    EXPECT_EQ(form.Edit9->Parent(), form.GroupBox3);
    EXPECT_EQ(Form1, &form);
    EXPECT_EQ(Application->MainForm(), &form);
}

TEST_F(MainWindowTest, WindowSettings) {
    TForm1& form = CreateWindow();
    EXPECT_EQ(form.Caption(), UnicodeString(u"ДУТ Конфигуратор 4.0"));
    EXPECT_EQ(form.ClientWidth(), 885);
    EXPECT_EQ(form.ClientHeight(), 567);
    EXPECT_TRUE(form.Centered());
    EXPECT_EQ(form.Font().Name, UnicodeString(u"Tahoma"));
    EXPECT_EQ(form.StatusTick, 0u);
    EXPECT_TRUE(form.Label11->Font().Bold);
    EXPECT_EQ(form.Label11->Font().Height, -21);
    EXPECT_FALSE(form.Label10->Font().Bold);
    EXPECT_EQ(form.Panel2->BevelOuter(), bvNone);
}

TEST_F(MainWindowTest, StartTextsOfLabelsButtonsAndGroups) {
    TForm1& form = CreateWindow();
    struct Row {
        const char16_t* name;
        const char16_t* caption;
    };
    for (const Row& row : std::vector<Row>{
             {u"Label14", u"Состояние:"},
             {u"Label10", u"Адрес"},
             {u"Label11", u"0"},
             {u"Label1", u"Порт"},
             {u"Label12", u"Серийн.№"},
             {u"Label13", u"Релиз"},
             {u"Button5", u"Записать"},
             {u"GroupBox3", u"Команды"},
             {u"Label9", u"Длина, мм"},
             {u"Button1", u"Автокалибровка"},
             {u"Button2", u"Калибровка пустого бака"},
             {u"Button3", u"Калибровка полного бака"},
             {u"Button4", u"Калибровка по длине трубки"},
             {u"Button6", u"Записать настройки"},
             {u"GroupBox5", u"Инженерная настройка"},
             {u"Label33", u"Дельта"},
             {u"Label34", u"Усиление"},
             {u"Label35", u"Чувствительность"},
             {u"Label37", u"Эпсилон"},
             {u"Label41", u"k_eps"},
             {u"Label42", u"len_base"},
             {u"Label43", u"temper_corr1"},
             {u"Label44", u"temper_corr2"},
             {u"GroupBox4", u"Настройка"},
             {u"Label27", u"Напряжение для минимума топлива, мВ"},
             {u"Label28", u"Напряжение для максимума топлива, мВ"},
             {u"Label29", u"Частота для минимума топлива, Гц"},
             {u"Label30", u"Частота для максимума топлива, Гц"},
             {u"Label32", u"Ширина фильтра, с"},
             {u"Label38", u"Напряжение при наличии воды, мВ"},
             {u"Label39", u"Частота при наличии воды, Гц"},
             {u"Button7", u"Прошивка"},
             {u"GroupBox1", u"Радио модуль"},
             {u"Label21", u"Адрес"},
             {u"Label22", u"Серийн.№"},
             {u"Label23", u"Релиз"},
             {u"Label24", u"Устр-во"},
             {u"Button8", u"Режим добавления"},
             {u"Button9", u"Удалить"},
             {u"GroupBox12", u"Текущие показания"},
             {u"Label31", u"Текущее"},
             {u"Label36", u"Фильтрованное"},
             {u"Label6", u"Нормированное"},
             {u"Label7", u"Частота, Гц"},
             {u"Label8", u"Температура, °C"},
             {u"Label20", u"Аналоговое, В"},
             {u"Label25", u"Батарейка"},
             {u"Label26", u"Давность, сек"},
             {u"GroupBox2", u"Калибровка"},
             {u"Label2", u"Корпус"},
             {u"Label3", u"Трубка"},
             {u"Label4", u"Топливо"},
             {u"Label5", u"Блокировка"},
             {u"Label16", u"Выход"},
             {u"Label17", u"Подтяжка"},
             {u"Label18", u"автокалибровки"},
             {u"Label19", u"Шкала"},
             {u"Label40", u"Пароль NFC"},
             {u"Button10", u"Записать"},
             {u"GroupBox6", u"Счётчики"},
             {u"Label45", u"Время работы в минутах"},
             {u"Label46", u"Включений питания"},
             {u"Label47", u"Восстановления EEPROM"},
             {u"Label48", u"Перегрузки по питанию"},
             {u"Label50", u"Сбросы по WDT"},
         }) {
        auto* control = dynamic_cast<TControl*>(form.FindComponent(row.name));
        ASSERT_NE(control, nullptr) << Utf8(row.name);
        EXPECT_EQ(control->Caption(), UnicodeString(row.caption)) << Utf8(row.name);
    }
    EXPECT_EQ(form.Label15->Caption(), UnicodeString(std::u16string(17, u' ')));
}

TEST_F(MainWindowTest, EditsStartEmptyButTheTubeLengthAndSomeAreReadOnly) {
    TForm1& form = CreateWindow();
    const std::set<std::u16string> readOnly{u"Edit11", u"Edit12", u"Edit14", u"Edit15", u"Edit25",
                                            u"Edit26", u"Edit6",  u"Edit7",  u"Edit8",  u"Edit5",
                                            u"Edit16", u"Edit17", u"Edit1"};
    int edits = 0;
    for (int i = 0; i < form.ComponentCount(); ++i) {
        auto* edit = dynamic_cast<TEdit*>(form.Components(i));
        if (!edit) continue;
        ++edits;
        SCOPED_TRACE(Utf8(edit->Name()));
        EXPECT_EQ(edit->ReadOnly(), readOnly.count(edit->Name().Text()) == 1);
        EXPECT_EQ(edit->Text(), UnicodeString(edit == form.Edit9 ? u"1000" : u""));
        EXPECT_EQ(edit->Color(), clWhite);
    }
    EXPECT_EQ(edits, 40);
}

TEST_F(MainWindowTest, HiddenAtStartAreOnlyTheLayoutsHiddenControls) {
    TForm1& form = CreateWindow();
    const std::set<std::u16string> hidden{u"Label11", u"Image2", u"GroupBox5", u"GroupBox1", u"Panel2"};
    for (int i = 0; i < form.ComponentCount(); ++i) {
        auto* control = dynamic_cast<TControl*>(form.Components(i));
        if (!control) continue;
        EXPECT_EQ(control->Visible(), hidden.count(control->Name().Text()) == 0) << Utf8(control->Name());
    }
}

TEST_F(MainWindowTest, ComboBoxesItemsSelectionAndStyle) {
    TForm1& form = CreateWindow();
    auto items = [](TComboBox* box) {
        std::vector<std::u16string> texts;
        for (int i = 0; i < box->Items().Count(); ++i)
            texts.push_back(box->Items().Strings(i).Text());
        return texts;
    };
    EXPECT_EQ(items(form.ComboBox1), (std::vector<std::u16string>{u"Аналоговый", u"K-line"}));
    EXPECT_EQ(form.ComboBox1->ItemIndex(), 0);
    EXPECT_EQ(form.ComboBox1->Text(), UnicodeString(u"Аналоговый"));
    EXPECT_EQ(items(form.ComboBox4),
              (std::vector<std::u16string>{u"K-line", u"Аналоговый", u"Частотный", u"K-line нормированный"}));
    EXPECT_EQ(form.ComboBox4->ItemIndex(), -1);
    EXPECT_EQ(items(form.ComboBox2), (std::vector<std::u16string>{u"4096", u"1024"}));
    EXPECT_EQ(form.ComboBox2->ItemIndex(), 0);
    EXPECT_EQ(form.ComboBox2->Text(), UnicodeString(u"4096"));
    EXPECT_TRUE(items(form.ComboBox3).empty());
    EXPECT_EQ(form.ComboBox3->ItemIndex(), -1);
    for (TComboBox* box : {form.ComboBox1, form.ComboBox2, form.ComboBox3, form.ComboBox4})
        EXPECT_EQ(box->Style(), csDropDownList) << Utf8(box->Name());
}

TEST_F(MainWindowTest, TimersDialogAndPictures) {
    TForm1& form = CreateWindow();
    EXPECT_EQ(form.Timer1->Interval(), 500u);
    EXPECT_EQ(form.Timer2->Interval(), 1u);
    EXPECT_TRUE(form.Timer1->Enabled());
    EXPECT_TRUE(form.Timer2->Enabled());
    EXPECT_EQ(form.OpenDialog1->InitialDir, UnicodeString(u"FIRMWARE"));
    EXPECT_EQ(form.OpenDialog1->DefaultExt, UnicodeString(u".enc"));
    EXPECT_EQ(form.OpenDialog1->Filter, UnicodeString(u".enc|*.enc"));

    const std::vector<std::uint8_t> signature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (TImage* image : {form.Image1, form.Image2}) {
        ASSERT_GT(image->Png().size(), signature.size());
        EXPECT_TRUE(std::equal(signature.begin(), signature.end(), image->Png().begin()));
    }
    EXPECT_NE(form.Image1->Png(), form.Image2->Png());
    // Both pictures stand at the same place, so swapping them does not move anything.
    EXPECT_EQ(form.Image1->Left(), form.Image2->Left());
    EXPECT_EQ(form.Image1->Top(), form.Image2->Top());
}

// Every control inside its parent, and no two siblings on top of each other (the two status
// pictures excepted, which take turns at one place).
TEST_F(MainWindowTest, ControlsFitTheirParentsAndDoNotOverlap) {
    TForm1& form = CreateWindow();
    auto overlap = [](TControl* a, TControl* b) {
        return a->Left() < b->Left() + b->Width() && b->Left() < a->Left() + a->Width() &&
               a->Top() < b->Top() + b->Height() && b->Top() < a->Top() + a->Height();
    };
    std::vector<TWinControl*> parents{&form};
    for (std::size_t p = 0; p < parents.size(); ++p) {
        TWinControl* parent = parents[p];
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* child = parent->Controls(i);
            SCOPED_TRACE(Utf8(child->Name()));
            if (auto* windowed = dynamic_cast<TWinControl*>(child)) parents.push_back(windowed);
            EXPECT_GT(child->Width(), 0);
            EXPECT_GT(child->Height(), 0);
            EXPECT_GE(child->Left(), 0);
            EXPECT_GE(child->Top(), 0);
            EXPECT_LE(child->Left() + child->Width(), parent->Width());
            EXPECT_LE(child->Top() + child->Height(), parent->Height());
            for (int j = i + 1; j < parent->ControlCount(); ++j) {
                TControl* other = parent->Controls(j);
                bool pictures = dynamic_cast<TImage*>(child) && dynamic_cast<TImage*>(other);
                EXPECT_TRUE(pictures || !overlap(child, other)) << Utf8(other->Name());
            }
        }
    }
}

} // namespace

namespace {

// Once the sensor's model is known, the window is cut at the settings box's left edge (widened by
// the box for the models that have those settings): every other control stands left of that edge.
TEST_F(MainWindowTest, SettingsBoxIsTheRightColumnSoTheNarrowedWindowHoldsEveryOtherControl) {
    TForm1& form = CreateWindow();
    const int edge = form.GroupBox4->Left();
    for (int i = 0; i < form.ControlCount(); ++i) {
        TControl* control = form.Controls(i);
        // The engineering box keeps the window at its whole width while it is shown.
        if (control == form.GroupBox4 || control == form.GroupBox5) continue;
        EXPECT_LE(control->Left() + control->Width(), edge) << Utf8(control->Name());
    }
}

} // namespace
