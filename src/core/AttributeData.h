#pragma once

#include "core/Observer.h"

#include <memory>
#include <string>

class AttributeRep;

// A document-level data object (the mapping, the grid settings). Its representations are
// found by key; its Update copies the values of the representation that notified it.
class AttributeData : public Observer {
public:
    ~AttributeData() override = default;
    // A new representation bound to this data for a key the data knows, else null.
    virtual std::unique_ptr<AttributeRep> CreateRep(const std::string& key) = 0;
};

// A representation of one AttributeData: a dialog's copy, a snap test, an undo memento.
// It attaches its data as its own observer, so its Notify hands its values back.
class AttributeRep : public Observer {
public:
    explicit AttributeRep(AttributeData* data);
    ~AttributeRep() override = default;

    virtual void Refresh() = 0;
    virtual void ResetAndRefresh() = 0;
    virtual std::string GetKey() const;

    AttributeData* Data() const { return data_; }

private:
    AttributeData* data_;
};
