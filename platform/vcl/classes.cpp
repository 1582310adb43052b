#include "platform/vcl/classes.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner(owner) {
    if (owner) owner->components.push_back(this);
}

TComponent::~TComponent() {
    // A component deleted from here removes itself from this list in its own destructor.
    while (!components.empty())
        delete components.back();
    if (owner) std::erase(owner->components, this);
}

TComponent* TComponent::FindComponent(const UnicodeString& wanted) const {
    auto found = std::find_if(components.begin(), components.end(),
                              [&](const TComponent* c) { return c->Name() == wanted; });
    return found == components.end() ? nullptr : *found;
}
