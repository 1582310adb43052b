#pragma once
// The configurator's one window: its published components by name, and the global pointer through
// which the sensor link and the reply decoder reach them.
//
// TForm1's handlers are defined by group, each in its own file:
//   connection.cpp       adopting and dropping a sensor, SetLevelCode, FormCloseQuery
//   timers.cpp           Timer1Timer (scan, poll, time-out), Timer2Timer (receive pump)
//   commands.cpp         Button1Click (calibration, settings), Button10Click (NFC password)
//   radio_module.cpp     Button8Click, ComboBox3Change, Button9Click
//   firmware_launch.cpp  Button7Click and the loader run
//   field_checks.cpp     Edit9Exit
//   main_form.cpp        the constructor and FitWidthToSettings; main_form_components.cpp and
//                        main_form_events.cpp bind the components and hang the handlers on them

#include <cstdint>

#include "platform/vcl/ext_ctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_ctrls.h"

class TForm1 : public TForm {
  public:
    // Builds the window from its layout, then logs the opening, shows the engineering panel for
    // the access word and makes the status record folder.
    explicit TForm1(TComponent* owner);

    UnicodeString ClassName() const override { return u"TForm1"; }

    // Millisecond tick of the last change of level code or of the start of the radio add mode.
    std::uint32_t StatusTick = 0;
    // The level or mode code SetLevelCode recorded last; 0 at start.
    static std::uint16_t LastLevelCode;
    // Tick of the last poll of the connected sensor, set on the first connected tick of the run.
    static std::uint32_t LastPollTick;
    static bool PollClockSet;

    // Connection control: scanning and polling, the receive pump, the level code, the close.
    void Timer1Timer(TObject* sender);
    void Timer2Timer(TObject* sender);
    void SetLevelCode(std::uint16_t code);
    void FormCloseQuery(TObject* sender, bool& canClose);
    // Calibration and settings commands (Button1 to Button6) and the NFC password (Button10).
    void Button1Click(TObject* sender);
    void Button10Click(TObject* sender);
    // Firmware update.
    void Button7Click(TObject* sender);
    // Radio module: add mode (also called with no sender to end it), device choice, removal.
    void Button8Click(TObject* sender);
    void ComboBox3Change(TObject* sender);
    void Button9Click(TObject* sender);
    // Range check of the numeric fields when the user leaves them.
    void Edit9Exit(TObject* sender);

    // Unless the engineering box is open, the window ends at the settings box, or just after it
    // while that box is shown.
    void FitWidthToSettings();

    // Components in resource order; the layout owns their places and start settings.
    TLabel* Label14 = nullptr;
    TLabel* Label15 = nullptr;
    TLabel* Label10 = nullptr;
    TLabel* Label11 = nullptr;
    TImage* Image2 = nullptr;
    TLabel* Label1 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label12 = nullptr;
    TLabel* Label13 = nullptr;
    TEdit* Edit11 = nullptr;
    TEdit* Edit12 = nullptr;
    TButton* Button5 = nullptr;
    TGroupBox* GroupBox3 = nullptr;
    TLabel* Label9 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TButton* Button4 = nullptr;
    TEdit* Edit9 = nullptr;
    TButton* Button6 = nullptr;
    TEdit* Edit10 = nullptr;
    TGroupBox* GroupBox5 = nullptr;
    TLabel* Label33 = nullptr;
    TLabel* Label34 = nullptr;
    TLabel* Label35 = nullptr;
    TLabel* Label37 = nullptr;
    TLabel* Label41 = nullptr;
    TLabel* Label42 = nullptr;
    TLabel* Label43 = nullptr;
    TLabel* Label44 = nullptr;
    TEdit* Edit23 = nullptr;
    TEdit* Edit24 = nullptr;
    TEdit* Edit27 = nullptr;
    TEdit* Edit28 = nullptr;
    TEdit* Edit32 = nullptr;
    TEdit* Edit33 = nullptr;
    TEdit* Edit34 = nullptr;
    TEdit* Edit35 = nullptr;
    TGroupBox* GroupBox4 = nullptr;
    TLabel* Label27 = nullptr;
    TLabel* Label28 = nullptr;
    TLabel* Label29 = nullptr;
    TLabel* Label30 = nullptr;
    TLabel* Label32 = nullptr;
    TLabel* Label38 = nullptr;
    TLabel* Label39 = nullptr;
    TEdit* Edit18 = nullptr;
    TEdit* Edit19 = nullptr;
    TEdit* Edit20 = nullptr;
    TEdit* Edit21 = nullptr;
    TEdit* Edit22 = nullptr;
    TEdit* Edit29 = nullptr;
    TEdit* Edit30 = nullptr;
    TButton* Button7 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TLabel* Label21 = nullptr;
    TLabel* Label22 = nullptr;
    TLabel* Label23 = nullptr;
    TLabel* Label24 = nullptr;
    TEdit* Edit13 = nullptr;
    TEdit* Edit14 = nullptr;
    TEdit* Edit15 = nullptr;
    TComboBox* ComboBox3 = nullptr;
    TButton* Button8 = nullptr;
    TButton* Button9 = nullptr;
    TGroupBox* GroupBox12 = nullptr;
    TLabel* Label31 = nullptr;
    TLabel* Label36 = nullptr;
    TLabel* Label6 = nullptr;
    TLabel* Label7 = nullptr;
    TLabel* Label8 = nullptr;
    TLabel* Label20 = nullptr;
    TLabel* Label25 = nullptr;
    TLabel* Label26 = nullptr;
    TEdit* Edit25 = nullptr;
    TEdit* Edit26 = nullptr;
    TEdit* Edit6 = nullptr;
    TEdit* Edit7 = nullptr;
    TEdit* Edit8 = nullptr;
    TEdit* Edit5 = nullptr;
    TEdit* Edit16 = nullptr;
    TEdit* Edit17 = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TLabel* Label5 = nullptr;
    TLabel* Label16 = nullptr;
    TLabel* Label17 = nullptr;
    TLabel* Label18 = nullptr;
    TLabel* Label19 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TComboBox* ComboBox4 = nullptr;
    TEdit* Edit2 = nullptr;
    TEdit* Edit3 = nullptr;
    TEdit* Edit4 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TCheckBox* CheckBox2 = nullptr;
    TComboBox* ComboBox2 = nullptr;
    TEdit* Edit1 = nullptr;
    TPanel* Panel2 = nullptr;
    TLabel* Label40 = nullptr;
    TButton* Button10 = nullptr;
    TEdit* Edit31 = nullptr;
    TGroupBox* GroupBox6 = nullptr;
    TLabel* Label45 = nullptr;
    TLabel* Label46 = nullptr;
    TLabel* Label47 = nullptr;
    TLabel* Label48 = nullptr;
    TLabel* Label50 = nullptr;
    TEdit* Edit36 = nullptr;
    TEdit* Edit37 = nullptr;
    TEdit* Edit38 = nullptr;
    TEdit* Edit39 = nullptr;
    TEdit* Edit41 = nullptr;
    TTimer* Timer1 = nullptr;
    TTimer* Timer2 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

  private:
    // Points every component field at the component of that name the layout created.
    void BindComponents();
    // Hangs every handler above on its component's event.
    void WireEvents();
    template <class T> void Bind(T*& field, const char16_t* name);
};

// The one main window, set when the application creates it.
extern TForm1* Form1;
