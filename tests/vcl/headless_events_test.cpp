#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/headless/headless.h"
#include "platform/vcl/std_ctrls.h"
#include "platform/vcl/user_input.h"
#include "platform/win32/messages.h"
#include "tests/support/form_controls.h"
#include "tests/support/virtual_clock.h"

namespace {

using vcl::headless::MessageBoxes;

// A small form with two edits, a button, a combo box and a timer, torn down after each test.
struct FormFixture : ::testing::Test {
    testing_support::VirtualClock clock{10000};
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TEdit* first = Add<TEdit>(u"Edit1");
    TEdit* second = Add<TEdit>(u"Edit2");
    TButton* button = Add<TButton>(u"Button1");
    TComboBox* combo = Add<TComboBox>(u"ComboBox1");
    std::vector<std::string> events;

    FormFixture() { vcl::headless::Reset(); }
    ~FormFixture() override { vcl::headless::Reset(); }

    template <class T> T* Add(const char16_t* name) {
        return testing_support::AddControl<T>(*form, *form, name);
    }
    TNotifyEvent Record(std::string what) { return testing_support::RecordEvent(events, what); }
};

TEST_F(FormFixture, ClickFocusesTheButtonFirstSoTheEditIsLeft) {
    first->OnExit = Record("exit");
    button->OnClick = Record("click");
    vcl::UserType(*first, u"12");
    EXPECT_EQ(first->Text(), UnicodeString(u"12"));
    EXPECT_TRUE(first->Focused());
    vcl::UserClick(*button);
    EXPECT_EQ(events, (std::vector<std::string>{"exit:Edit1", "click:Button1"}));
    EXPECT_TRUE(button->Focused());
}

TEST_F(FormFixture, ExitHandlerThatTakesTheFocusBackKeepsItAndSwallowsTheClick) {
    first->OnExit = [&](TObject* sender) {
        events.push_back("exit");
        MessageBoxW(form->Handle(), u"bad", u"check", MB_OK);
        static_cast<TEdit*>(sender)->SetFocus();
    };
    second->OnExit = Record("exit");
    button->OnClick = Record("click");
    vcl::UserFocus(*first);
    vcl::UserClick(*button);
    EXPECT_TRUE(first->Focused());
    EXPECT_EQ(events, std::vector<std::string>{"exit"});
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0].owner, form->Handle());

    EXPECT_FALSE(vcl::UserFocus(*second));
    EXPECT_TRUE(first->Focused());
    EXPECT_EQ(events.size(), 2u); // the bounced focus fired no OnExit of Edit2
}

TEST_F(FormFixture, ReadOnlyAndDisabledControlsIgnoreTheUser) {
    button->OnClick = Record("click");
    first->SetReadOnly(true);
    first->SetText(u"kept");
    vcl::UserType(*first, u"typed");
    EXPECT_EQ(first->Text(), UnicodeString(u"kept"));
    button->SetEnabled(false);
    vcl::UserClick(*button);
    EXPECT_TRUE(events.empty());
}

TEST_F(FormFixture, ComboBoxChangeFiresOnlyForTheUser) {
    combo->SetStyle(csDropDownList);
    combo->Items().Assign({u"4096", u"1024"});
    combo->OnChange = Record("change");
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), UnicodeString(u"1024"));
    EXPECT_TRUE(events.empty());
    vcl::UserSelect(*combo, 0);
    EXPECT_EQ(events, std::vector<std::string>{"change:ComboBox1"});
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), UnicodeString(u"4096"));

    for (int outside : {-4, -1, 2, 99}) {
        combo->SetItemIndex(outside);
        EXPECT_EQ(combo->ItemIndex(), -1) << outside;
        EXPECT_TRUE(combo->Text().IsEmpty());
    }
    combo->SetItemIndex(1);
    combo->Items().Delete(0);
    EXPECT_EQ(combo->ItemIndex(), -1); // the selection pointed past the shortened list
    combo->Clear();
    EXPECT_EQ(combo->Items().Count(), 0);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(FormFixture, EditChangeFollowsEveryChangeOfText) {
    first->OnChange = Record("change");
    first->SetText(u"a");
    first->SetText(u"a");
    vcl::UserType(*first, u"b");
    EXPECT_EQ(events, (std::vector<std::string>{"change:Edit1", "change:Edit1"}));
}

TEST_F(FormFixture, HandlerExceptionIsShownAndDoesNotStopItsTimer) {
    Application->Title = u"sondrix";
    TTimer* timer = new TTimer(form.get());
    timer->SetInterval(100);
    int runs = 0;
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        ++runs;
        if (runs == 1) throw EConvertError(u"'x' is not a valid integer value");
        if (runs == 2) throw 0;
        timer->SetEnabled(true);
    };
    vcl::headless::RunFor(99);
    EXPECT_EQ(runs, 0);
    vcl::headless::RunFor(1);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(timer->Enabled());
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0].text, UnicodeString(u"'x' is not a valid integer value."));
    EXPECT_EQ(MessageBoxes()[0].caption, UnicodeString(u"sondrix"));
    EXPECT_EQ(MessageBoxes()[0].type, MB_OK | MB_ICONSTOP);
    vcl::headless::RunFor(100);
    EXPECT_EQ(runs, 2); // a non-framework exception is shown too
    EXPECT_EQ(MessageBoxes().size(), 2u);
    vcl::headless::RunFor(1000);
    EXPECT_EQ(runs, 12);
}

TEST_F(FormFixture, TimersRunInTimeOrderAndNeverFasterThanTenMilliseconds) {
    TTimer* slow = new TTimer(form.get());
    TTimer* fast = new TTimer(form.get());
    slow->SetName(u"slow");
    fast->SetName(u"fast");
    slow->SetInterval(25);
    fast->SetInterval(1);
    EXPECT_EQ(fast->Interval(), 1u);
    EXPECT_EQ(fast->EffectiveInterval(), 10u);
    std::vector<std::pair<std::string, std::uint64_t>> fired;
    auto note = [&](TObject* sender) {
        fired.emplace_back(static_cast<TComponent*>(sender)->Name().ToUtf8(), clock.NowMs() - 10000);
    };
    slow->OnTimer = note;
    fast->OnTimer = note;
    vcl::headless::RunFor(50);
    EXPECT_EQ(fired, (std::vector<std::pair<std::string, std::uint64_t>>{{"fast", 10},
                                                                         {"fast", 20},
                                                                         {"slow", 25},
                                                                         {"fast", 30},
                                                                         {"fast", 40},
                                                                         {"slow", 50},
                                                                         {"fast", 50}}));

    fired.clear();
    slow->SetEnabled(false);
    fast->SetInterval(0);
    vcl::headless::RunFor(100);
    EXPECT_TRUE(fired.empty());
    slow->SetEnabled(true); // a restarted timer counts its period from now
    vcl::headless::RunFor(24);
    EXPECT_TRUE(fired.empty());
    vcl::headless::RunFor(1);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(FormFixture, MessagePumpInsideAHandlerRunsOtherTimersButNotItself) {
    TTimer* outer = new TTimer(form.get());
    TTimer* other = new TTimer(form.get());
    outer->SetInterval(10);
    other->SetInterval(10);
    int outerRuns = 0, otherRuns = 0;
    outer->OnTimer = [&](TObject*) {
        ++outerRuns;
        clock.Advance(30);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    };
    other->OnTimer = [&](TObject*) { ++otherRuns; };
    vcl::headless::RunFor(10);
    EXPECT_EQ(outerRuns, 1);
    EXPECT_GE(otherRuns, 1);
}

TEST(MessageBoxHook, ScriptedAnswersThenSafeDefaults) {
    vcl::headless::Reset();
    vcl::headless::AnswerMessageBoxes({IDYES});
    EXPECT_EQ(MessageBoxW(nullptr, u"Удалить?", u"Предупреждение", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, u"Удалить?", u"Предупреждение", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"Ошибка", u"Ошибка ввода", MB_OK), IDOK);
    ASSERT_EQ(MessageBoxes().size(), 3u);
    EXPECT_EQ(MessageBoxes()[0].text, UnicodeString(u"Удалить?"));
    EXPECT_EQ(MessageBoxes()[2].caption, UnicodeString(u"Ошибка ввода"));
    vcl::headless::Reset();
}

TEST_F(FormFixture, ActionWhileABoxIsUpRunsOtherTimersButNotTheOneShowingTheBox) {
    TTimer* showing = new TTimer(form.get());
    TTimer* other = new TTimer(form.get());
    other->SetInterval(100);
    int otherRuns = 0, showingRuns = 0, actions = 0;
    other->OnTimer = [&](TObject*) { ++otherRuns; };
    showing->OnTimer = [&](TObject*) {
        ++showingRuns;
        MessageBoxW(nullptr, u"ДУТ шлёт некорректные данные", u"Ошибка", MB_OK);
    };
    vcl::headless::WhileMessageBoxUp([&] {
        ++actions;
        vcl::headless::RunFor(1500);
        MessageBoxW(nullptr, u"второй", u"Ошибка", MB_OK); // does not run the action again
    });
    vcl::headless::RunFor(1000);
    EXPECT_EQ(showingRuns, 1);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(otherRuns, 25); // 10 before the box, 15 while it was up
    EXPECT_EQ(MessageBoxes().size(), 2u);
    vcl::headless::Reset();
    showing->SetEnabled(false);
    MessageBoxW(nullptr, u"третий", u"Ошибка", MB_OK);
    EXPECT_EQ(actions, 1); // Reset ended the action
}

TEST(OpenDialog, ReturnsTheScriptedFileOnceThenCancels) {
    vcl::headless::Reset();
    TOpenDialog dialog(nullptr);
    dialog.InitialDir = u"FIRMWARE";
    dialog.Filter = u".enc|*.enc";
    vcl::headless::ChooseFile(UnicodeString(u"/tmp/a b.enc"));
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, UnicodeString(u"/tmp/a b.enc"));
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(vcl::headless::OpenDialogs().size(), 2u);
    EXPECT_EQ(vcl::headless::OpenDialogs()[0].initialDir, UnicodeString(u"FIRMWARE"));
    EXPECT_EQ(vcl::headless::OpenDialogs()[0].filter, UnicodeString(u".enc|*.enc"));
    vcl::headless::Reset();
}

TEST(ComponentTree, OwnersDeleteTheirComponentsAndParentsListTheirChildren) {
    auto form = std::make_unique<TForm>(nullptr);
    auto* box = new TGroupBox(form.get());
    box->SetName(u"GroupBox1");
    box->SetParent(form.get());
    auto* edit = new TEdit(form.get());
    edit->SetName(u"Edit1");
    edit->SetParent(box);
    EXPECT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(form->FindComponent(u"Edit1"), edit);
    EXPECT_EQ(form->ControlCount(), 1);
    EXPECT_EQ(box->ControlCount(), 1);
    EXPECT_EQ(box->Controls(0), edit);
    EXPECT_EQ(edit->ParentForm(), form.get());
    EXPECT_EQ(edit->ClassName(), UnicodeString(u"TEdit"));
    edit->SetFocus();
    box->Hide();
    EXPECT_TRUE(edit->Visible());
    EXPECT_FALSE(edit->Showing());
    delete box; // takes its child along and leaves no dangling focus or owner entry
    EXPECT_EQ(form->ComponentCount(), 0);
    EXPECT_EQ(form->ControlCount(), 0);
    EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST(FormClose, CloseQueryCanRefuseAndClosingTheMainFormEndsTheLoop) {
    vcl::headless::Reset();
    TForm* form = nullptr;
    Application->CreateForm(form);
    int queries = 0;
    bool allow = false;
    form->OnCloseQuery = [&](TObject* sender, bool& canClose) {
        EXPECT_EQ(sender, form);
        EXPECT_TRUE(canClose);
        ++queries;
        canClose = allow;
    };
    form->ShowForm();
    vcl::UserClose(*form);
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(Application->Terminated());
    allow = true;
    vcl::UserClose(*form);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(queries, 2);
    Application->DestroyForms();
    EXPECT_EQ(Application->MainForm(), nullptr);
}

} // namespace
