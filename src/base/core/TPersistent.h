#pragma once

class TReader;

// The base of objects that copy themselves into one another (string lists,
// components, the drawing objects) and that the form reader fills in.
// Objects of the family have identity: they are never copied as values, only
// through Assign.
class TPersistent {
public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;
    virtual ~TPersistent() = default;

    // Copies this object into dest; the base copies nothing.
    virtual void AssignTo(TPersistent& dest) const {}
    // The form reader offers a stored property it has no type information
    // for (the reader holds its name); the base ignores it. String lists
    // take their "Strings" property this way once the form reader exists.
    virtual void ReadExtraProperty(TReader& reader) {}
    // Copies source into this object: by default source decides how
    // (AssignTo). A null source changes nothing.
    virtual void Assign(const TPersistent* source);
};
