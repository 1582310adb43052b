#pragma once
// Small forms built in tests: controls added by name, and handlers that note each event.

#include <string>
#include <vector>

#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"

namespace testing_support {

// A new control owned by the form, named and put on `parent`.
template <class T> T* AddControl(TForm& form, TWinControl& parent, const char16_t* name) {
    T* control = new T(&form);
    control->SetName(name);
    control->SetParent(&parent);
    return control;
}

// A handler that notes each event as "what:Name", Name being the sender's.
inline TNotifyEvent RecordEvent(std::vector<std::string>& events, std::string what) {
    return [&events, what](TObject* sender) {
        events.push_back(what + ":" + static_cast<TComponent*>(sender)->Name().ToUtf8());
    };
}

} // namespace testing_support
