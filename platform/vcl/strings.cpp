#include "platform/vcl/strings.h"

#include <algorithm>

int TStrings::IndexOf(const UnicodeString& text) const {
    auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

int TStrings::Add(const UnicodeString& text) {
    items.push_back(text);
    Notify();
    return Count() - 1;
}

void TStrings::Delete(int index) {
    items.erase(items.begin() + (Strings(index), index));
    Notify();
}

void TStrings::Clear() {
    if (items.empty()) return;
    items.clear();
    Notify();
}

void TStrings::Assign(const std::vector<UnicodeString>& texts) {
    items = texts;
    Notify();
}

void TStrings::Notify() {
    if (OnChanged) OnChanged();
}
