#pragma once
// Non-visual components: the timer and the file-open dialog.

#include "platform/vcl/classes.h"

class TTimer : public TComponent {
  public:
    // Starts enabled with a period of 1000 ms, as the framework's timer does.
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    UnicodeString ClassName() const override { return u"TTimer"; }

    unsigned Interval() const { return interval; }
    void SetInterval(unsigned value);
    bool Enabled() const { return enabled; }
    void SetEnabled(bool value);
    // The period the timer really runs at: window timers never fire faster than every 10 ms.
    unsigned EffectiveInterval() const;
    // True when the timer runs: enabled with a non-zero interval.
    bool Running() const { return enabled && interval > 0; }

    // Called by the backend when the period has passed. Runs OnTimer; an exception that escapes it
    // is shown, and the timer is switched on again so one failure does not stop it for good.
    void Fire();

    TNotifyEvent OnTimer;

  private:
    unsigned interval = 1000;
    bool enabled = true;
};

class TOpenDialog : public TComponent {
  public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    UnicodeString ClassName() const override { return u"TOpenDialog"; }

    // Shows the dialog; true with FileName set to the chosen file's full path.
    bool Execute();

    UnicodeString InitialDir;
    UnicodeString DefaultExt;
    // Pairs of shown name and pattern, separated by '|': ".enc|*.enc".
    UnicodeString Filter;
    UnicodeString FileName;
    UnicodeString Title;
};
