#pragma once
// A list of texts, as combo boxes hold their items.

#include <functional>
#include <vector>

#include "platform/vcl/unicode_string.h"

class TStrings {
  public:
    int Count() const { return static_cast<int>(items.size()); }
    // Throws std::out_of_range for an index outside the list.
    const UnicodeString& Strings(int index) const { return items.at(static_cast<std::size_t>(index)); }
    int IndexOf(const UnicodeString& text) const;

    int Add(const UnicodeString& text);
    void Delete(int index);
    void Clear();
    void Assign(const std::vector<UnicodeString>& texts);

    // The owning control's notification (it re-checks its selection and updates its widget).
    std::function<void()> OnChanged;

  private:
    void Notify();
    std::vector<UnicodeString> items;
};
