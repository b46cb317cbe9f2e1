#pragma once

#include "core/Observer.h"
#include "core/SimpleArray.h"
#include "core/SmartPtr.h"
#include "database/DbAttMgrRep.h"
#include "database/DbMemento.h"
#include "database/DbPrimSetRep.h"
#include "platform/Device.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Archive;
class DrawContext;
struct ExportOptions;

// The data sets of one document in numbered slots, with one current set. Slots are never
// removed: a deleted set leaves a placeholder (an empty set with the empty name) that the
// next new set reuses.
//
// Between operations there is at least one slot and `current` indexes one. Set indexes
// passed in come from the manager itself; file readers check what they read.
class DbSetMgr : public Observer {
public:
    DbSetMgr();

    // A new empty current set; a duplicate name becomes unique ("Line" -> "Line.1").
    std::int32_t NewSet(const std::string& name);
    void SelectSet(std::int32_t index);
    // A negative set index means the current set. Stamps the primitive with the active
    // attributes and notifies.
    std::int32_t AddPrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex);
    void RemovePrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex);
    std::unique_ptr<DbMemento> ClearAll();
    std::unique_ptr<DbMemento> ClearCurrentSet();
    std::unique_ptr<DbMemento> DeleteSet(std::int32_t index);
    std::unique_ptr<DbMemento> DeleteCurrentSet() { return DeleteSet(current_); }
    void Restore(std::unique_ptr<DbMemento> memento);

    std::int32_t GetCurrentCount() const;
    std::int32_t GetTotalCount() const;
    // (name, index) of every slot, placeholders included; returns the current index.
    std::int32_t ListSets(std::vector<std::pair<std::string, std::int32_t>>& list) const;
    void DrawSets(DrawContext& context);
    SmartPtr<DbAttMgrRep>& GetAttributeManager() { return attributes_; }
    void NotifyAll();

    // The set-manager block:
    //   int32 1 (version), int32 m (set records), int32 count (slots), int32 current,
    //   m x (int32 slot index, set), the attribute manager's shared-object record.
    // Reading fails on a count, slot index or current index outside the file's bounds.
    bool Serialize(Archive& archive);

    // Text form: every slot's name, a line feed, its set's text and another line feed.
    std::int32_t ExportAllSets(std::string& text, std::string_view separator,
                               const ExportOptions& options) const;
    // The current set's name, a line feed and its text; nothing without a current set.
    void ExportCurrentSet(std::string& text, std::string_view separator,
                          const ExportOptions& options) const;

    std::int32_t GetCurrent() const { return current_; }
    std::int32_t GetSlotCount() const { return sets_.Count(); }
    const SmartPtr<DbPrimSetRep>& GetSet(std::int32_t index) const { return sets_[index]; }

    // For the mementos.
    void PutSet(std::int32_t index, const SmartPtr<DbPrimSetRep>& set) { sets_[index] = set; }
    void SetSlotCount(std::int32_t count) { sets_.SetCount(count); }
    void ReserveSlots(std::int32_t count) { sets_.ReserveInTens(count); }

    static constexpr Colour kCurrentColour = MakeColour(255, 0, 0);
    static constexpr Colour kOtherColour = MakeColour(0, 0, 255);

private:
    bool HasName(std::string_view name) const;
    std::string UniqueName(const std::string& name) const;
    bool IsLive(std::int32_t index) const { return !sets_[index]->IsPlaceholder(); }
    std::int32_t LiveCount() const;

    SmartPtr<DbAttMgrRep> attributes_;
    SimpleArray<SmartPtr<DbPrimSetRep>> sets_;
    std::int32_t current_ = -1;
};
