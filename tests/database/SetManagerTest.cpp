#include "database/DbAttPrimRep.h"
#include "database/DbPointRep.h"
#include "database/DbSetMgr.h"
#include "database/DbSetX1.h"
#include "database/DbSetX2.h"
#include "database/DbSetX3.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

SmartPtr<DbPrimRep> Point(double x, double y) {
    auto* point = new DbPointRep(DPoint{x, y});
    point->graph = DPoint{x, y};
    return SmartPtr<DbPrimRep>(point);
}

std::vector<std::string> Names(const DbSetMgr& manager) {
    std::vector<std::pair<std::string, std::int32_t>> list;
    manager.ListSets(list);
    std::vector<std::string> names;
    for (const auto& entry : list) {
        names.push_back(entry.first);
    }
    return names;
}

class Counter : public Observer {
public:
    void Update(Observer*, void*) override { ++calls; }
    int calls = 0;
};

TEST(DbSetMgr, NewSetMakesDuplicateNamesUnique) {
    struct Case {
        std::vector<std::string> existing;
        std::string requested;
        std::string expected;
    };
    const Case cases[] = {
        {{"Line"}, "Line", "Line.1"},       {{"Line", "Line.1"}, "Line", "Line.2"},
        {{"Line.1"}, "Line.1", "Line.2"},   {{"Data.0"}, "Data.0", "Data.0.1"},
        {{"Line.3x"}, "Line.3x", "Line.1"}, {{"Line"}, "line", "line"}, // case-sensitive: no clash
        {{"a.b.2"}, "a.b.2", "a.b.1"},      {{"Line", "Line.1", "Line.2"}, "Line.1", "Line.3"},
    };
    for (const Case& c : cases) {
        DbSetMgr manager;
        for (const std::string& name : c.existing) {
            manager.NewSet(name);
        }
        const std::int32_t index = manager.NewSet(c.requested);
        EXPECT_EQ(manager.GetSet(index)->name, c.expected) << c.requested;
        EXPECT_EQ(manager.GetCurrent(), index);
    }
}

TEST(DbSetMgr, DeleteMovesCurrentToTheNextLiveSetAndNewSetReusesThePlaceholder) {
    DbSetMgr manager;
    manager.NewSet("a");
    manager.NewSet("b");
    manager.NewSet("c");
    manager.SelectSet(1);

    auto first = manager.DeleteSet(1);
    ASSERT_NE(dynamic_cast<DbSetX2*>(first.get()), nullptr);
    EXPECT_EQ(manager.GetCurrent(), 2);
    auto second = manager.DeleteSet(2);
    EXPECT_EQ(manager.GetCurrent(), 0); // 1 is a placeholder now
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"a", "", ""}));

    EXPECT_EQ(manager.NewSet("d"), 1);
    EXPECT_EQ(manager.GetSlotCount(), 3);

    // Deleting a set that is not current keeps the current one.
    manager.SelectSet(1);
    auto third = manager.DeleteSet(0);
    EXPECT_EQ(manager.GetCurrent(), 1);
}

TEST(DbSetMgr, DeletingTheOnlyLiveSetClearsAllAndUndoRestoresIt) {
    DbSetMgr manager;
    manager.NewSet("Line");
    manager.NewSet("Other");
    auto gone = manager.DeleteSet(0);
    SmartPtr<DbPrimRep> point = Point(1, 2);
    manager.AddPrimitive(point, 1);
    const SmartPtr<DbPrimSetRep> before = manager.GetSet(1);

    auto memento = manager.DeleteSet(1); // only "Other" is live
    ASSERT_NE(dynamic_cast<DbSetX3*>(memento.get()), nullptr);
    EXPECT_EQ(manager.GetSlotCount(), 1);
    EXPECT_EQ(manager.GetSet(0)->name, "Line.1");
    EXPECT_EQ(manager.GetCurrent(), 0);
    EXPECT_EQ(manager.GetTotalCount(), 0);

    manager.Restore(std::move(memento));
    EXPECT_EQ(manager.GetSlotCount(), 2);
    EXPECT_EQ(manager.GetCurrent(), 1);
    EXPECT_TRUE(manager.GetSet(1).SharesHolderWith(before));
    EXPECT_TRUE((*manager.GetSet(1))[0].SharesHolderWith(point));
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"", "Other"}));
}

TEST(DbSetMgr, ClearCurrentSetKeepsNameAndIndexAndUndoBringsTheSameRecordsBack) {
    DbSetMgr manager;
    manager.NewSet("Line");
    manager.NewSet("Second");
    SmartPtr<DbPrimRep> point = Point(3, 4);
    manager.GetAttributeManager()->AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("Run", "7", 1)));
    manager.AddPrimitive(point, -1);
    const SmartPtr<DbAttSetRep> stamped = point->attributes;

    auto memento = manager.ClearCurrentSet();
    ASSERT_NE(dynamic_cast<DbSetX1*>(memento.get()), nullptr);
    EXPECT_EQ(manager.GetCurrent(), 1);
    EXPECT_EQ(manager.GetSet(1)->name, "Second");
    EXPECT_EQ(manager.GetCurrentCount(), 0);

    manager.SelectSet(0);
    manager.Restore(std::move(memento));
    EXPECT_EQ(manager.GetCurrent(), 1);
    ASSERT_EQ(manager.GetCurrentCount(), 1);
    EXPECT_TRUE((*manager.GetSet(1))[0].SharesHolderWith(point));
    EXPECT_TRUE(point->attributes.SharesHolderWith(stamped));
}

TEST(DbSetMgr, NotifiesExactlyWhereTheOperationsSay) {
    DbSetMgr manager;
    Counter counter;
    counter.Observe(&manager);
    SmartPtr<DbPrimRep> point = Point(0, 0);
    struct Step {
        const char* what;
        std::function<void()> run;
        int notifications;
    };
    std::unique_ptr<DbMemento> memento;
    const std::vector<Step> steps = {
        {"NewSet", [&] { manager.NewSet("Line"); }, 1},
        {"NewSet again", [&] { manager.NewSet("Two"); }, 1},
        {"SelectSet", [&] { manager.SelectSet(0); }, 1},
        {"AddPrimitive", [&] { manager.AddPrimitive(point, -1); }, 1},
        {"RemovePrimitive", [&] { manager.RemovePrimitive(point, 0); }, 0},
        {"ClearCurrentSet", [&] { memento = manager.ClearCurrentSet(); }, 0},
        {"Restore X1", [&] { manager.Restore(std::move(memento)); }, 1},
        {"DeleteSet", [&] { memento = manager.DeleteSet(1); }, 1},
        {"Restore X2", [&] { manager.Restore(std::move(memento)); }, 1},
        {"ClearAll", [&] { memento = manager.ClearAll(); }, 1},
        {"Restore X3", [&] { manager.Restore(std::move(memento)); }, 1},
        {"GetTotalCount", [&] { manager.GetTotalCount(); }, 0},
    };
    for (const Step& step : steps) {
        counter.calls = 0;
        step.run();
        EXPECT_EQ(counter.calls, step.notifications) << step.what;
    }
}

TEST(DbSetMgr, AddStampsTheAttributesActiveAtThatMoment) {
    DbSetMgr manager;
    manager.NewSet("Line");
    DbAttMgrRep& attributes = *manager.GetAttributeManager();
    attributes.AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("Sample", "A", 1)));
    SmartPtr<DbPrimRep> first = Point(1, 1);
    SmartPtr<DbPrimRep> second = Point(2, 2);
    manager.AddPrimitive(first, -1);
    manager.AddPrimitive(second, -1);
    EXPECT_TRUE(first->attributes.SharesHolderWith(second->attributes)); // stored once
    ASSERT_EQ(first->attributes->Count(), 1);

    attributes.ReplaceAttribute(SmartPtr<DbAttRep>(new DbAttRep("Sample", "A", 0)));
    SmartPtr<DbPrimRep> third = Point(3, 3);
    manager.AddPrimitive(third, -1);
    EXPECT_EQ(third->attributes->Count(), 0);
    EXPECT_EQ(first->attributes->Count(), 1); // earlier points keep theirs

    // Undo of an add removes the point; redo appends it at the end and restamps it.
    manager.RemovePrimitive(first, 0);
    attributes.ReplaceAttribute(SmartPtr<DbAttRep>(new DbAttRep("Sample", "B", 1)));
    manager.AddPrimitive(first, 0);
    const DbPrimSetRep& set = *manager.GetSet(0);
    ASSERT_EQ(set.GetCount(), 3);
    EXPECT_TRUE(set[2].SharesHolderWith(first));
    EXPECT_EQ((*first->attributes)[0]->value, "B");
}

TEST(DbSetMgr, SlotsGrowInStepsOfTen) {
    DbSetMgr manager;
    for (int i = 0; i < 21; ++i) {
        manager.NewSet("s" + std::to_string(i));
    }
    EXPECT_EQ(manager.GetSlotCount(), 21);
    std::vector<std::pair<std::string, std::int32_t>> list;
    EXPECT_EQ(manager.ListSets(list), 20);
    EXPECT_EQ(list[20], (std::pair<std::string, std::int32_t>{"s20", 20}));
}

TEST(DbAttMgrRep, ActiveListIsBuiltOnDemandAndNeverChangedOnceHandedOut) {
    DbAttMgrRep manager;
    manager.AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("a", "1", 1)));
    manager.AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("b", "2", 0)));
    manager.AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("c", "3", 1)));
    SmartPtr<DbAttSetRep> active = manager.GetActive();
    EXPECT_TRUE(active.SharesHolderWith(manager.GetActive()));
    ASSERT_EQ(active->Count(), 2);
    EXPECT_EQ((*active)[1]->name, "c");
    SmartPtr<DbAttSetRep> panelCopy = manager.CopyAll();

    auto removed = manager.RemoveAttribute("a");
    ASSERT_TRUE(removed.has_value());
    EXPECT_EQ((*removed)->value, "1");
    EXPECT_EQ(active->Count(), 2); // handed-out lists stay as they were
    EXPECT_EQ(panelCopy->Count(), 3);
    EXPECT_FALSE(manager.GetActive().SharesHolderWith(active));

    // Replacing keeps the position; a deleted and restored attribute goes to the end.
    manager.ReplaceAttribute(SmartPtr<DbAttRep>(new DbAttRep("b", "20", 1)));
    manager.AddAttribute(*removed);
    std::vector<std::string> order;
    for (const auto& attribute : manager.All()) {
        order.push_back(attribute->name + "=" + attribute->value);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"b=20", "c=3", "a=1"}));

    EXPECT_FALSE(manager.RemoveAttribute("missing").has_value());
    EXPECT_FALSE(
        manager.ReplaceAttribute(SmartPtr<DbAttRep>(new DbAttRep("x", "", 1))).has_value());
    EXPECT_EQ(manager.All().Count(), 3);
}

} // namespace
