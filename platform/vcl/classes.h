#pragma once
// The root classes: objects with a class name, and components that own other components and are
// found by name.

#include <functional>
#include <vector>

#include "platform/vcl/unicode_string.h"

class TObject {
  public:
    virtual ~TObject() = default;
    virtual UnicodeString ClassName() const { return u"TObject"; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TComponent : public TObject {
  public:
    // The owner deletes its components (newest first) when it is deleted itself.
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    UnicodeString ClassName() const override { return u"TComponent"; }

    const UnicodeString& Name() const { return name; }
    void SetName(const UnicodeString& value) { name = value; }
    TComponent* Owner() const { return owner; }

    // Owned components in creation order (the form resource's order for a form).
    int ComponentCount() const { return static_cast<int>(components.size()); }
    TComponent* Components(int index) const { return components.at(static_cast<std::size_t>(index)); }
    TComponent* FindComponent(const UnicodeString& name) const;

  private:
    UnicodeString name;
    TComponent* owner;
    std::vector<TComponent*> components;
};
