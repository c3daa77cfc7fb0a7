#pragma once

#include <functional>

#include "base/core/TPersistent.h"

struct TResource;

// Base of fonts, pens and brushes: an object that describes itself by a
// shared record (Resource) and tells its owner when the description changes.
class TGraphicsObject : public TPersistent {
public:
    // Fires OnChange when one is set.
    virtual void Changed();

    std::function<void(TGraphicsObject*)> OnChange;
    TResource* Resource = nullptr;
};
