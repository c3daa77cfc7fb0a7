#pragma once

#include <functional>

struct TResource;

// Base of fonts, pens and brushes: an object that describes itself by a
// shared record (Resource) and tells its owner when the description changes.
class TGraphicsObject {
public:
    TGraphicsObject() = default;
    TGraphicsObject(const TGraphicsObject&) = delete;
    TGraphicsObject& operator=(const TGraphicsObject&) = delete;
    virtual ~TGraphicsObject() = default;

    // Copies the description of another object of the same kind; other
    // sources are ignored.
    virtual void Assign(const TGraphicsObject& source) {}
    // Fires OnChange when one is set.
    virtual void Changed();

    std::function<void(TGraphicsObject*)> OnChange;
    TResource* Resource = nullptr;
};
