#include "database/PlumeData.h"
#include "history/TaskSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A task that records what the history does with it.
struct Journal {
    std::vector<std::string> events;
    int alive = 0;
};

class Probe : public Task {
public:
    Probe(Journal& journal, std::string name, bool result = true)
        : Task(nullptr), journal_(journal), name_(std::move(name)), result_(result) {
        ++journal_.alive;
    }
    ~Probe() override {
        --journal_.alive;
        journal_.events.push_back("~" + name_);
    }
    bool Do() override { return Log("do"); }
    bool Undo() override { return Log("undo"); }
    bool Redo() override { return Log("redo"); }
    std::string GetName() const override { return name_; }

private:
    bool Log(const char* what) {
        journal_.events.push_back(std::string(what) + " " + name_);
        return result_;
    }
    Journal& journal_;
    std::string name_;
    bool result_;
};

class ModifiedCounter : public DocumentLink {
public:
    void SetModified(bool modified) override {
        ++calls;
        last = modified;
    }
    int calls = 0;
    bool last = false;
};

TEST(History, PerformCutsTheRedoTailAndUndoRedoMoveThePosition) {
    Journal journal;
    PlumeData database;
    EXPECT_FALSE(database.Undo());
    EXPECT_FALSE(database.Redo());
    EXPECT_EQ(database.UndoName(), "");
    EXPECT_EQ(database.RedoName(), "");
    for (const char* name : {"T1", "T2", "T3"}) {
        EXPECT_TRUE(database.Perform(std::make_unique<Probe>(journal, name)));
    }
    EXPECT_TRUE(database.Undo());
    EXPECT_TRUE(database.Undo());
    EXPECT_EQ(database.UndoName(), "T1");
    EXPECT_EQ(database.RedoName(), "T2");
    journal.events.clear();
    EXPECT_TRUE(database.Perform(std::make_unique<Probe>(journal, "T4")));
    EXPECT_EQ(journal.events, (std::vector<std::string>{"do T4", "~T2", "~T3"}));
    EXPECT_EQ(database.HistoryCount(), 2);
    EXPECT_FALSE(database.CanRedo());
    EXPECT_EQ(database.UndoName(), "T4");

    journal.events.clear();
    EXPECT_TRUE(database.Undo());
    EXPECT_TRUE(database.Undo());
    EXPECT_FALSE(database.Undo()); // past the start
    EXPECT_EQ(database.UndoName(), "");
    EXPECT_TRUE(database.Redo());
    EXPECT_EQ(journal.events, (std::vector<std::string>{"undo T4", "undo T1", "redo T1"}));

    EXPECT_TRUE(database.ClearHistory());
    EXPECT_FALSE(database.CanUndo());
    EXPECT_FALSE(database.CanRedo());
    EXPECT_EQ(journal.alive, 0);
}

TEST(History, AFailedDoIsDestroyedAndAFailedUndoStillMoves) {
    Journal journal;
    PlumeData database;
    EXPECT_FALSE(database.Perform(std::make_unique<Probe>(journal, "bad", false)));
    EXPECT_EQ(journal.alive, 0);
    EXPECT_EQ(database.HistoryCount(), 0);
    EXPECT_FALSE(database.Perform(std::make_unique<TaskSet>(&database))); // an empty set

    auto group = std::make_unique<TaskSet>(&database);
    group->Add(std::make_unique<Probe>(journal, "a"));
    group->Add(std::make_unique<Probe>(journal, "b", false));
    group->Add(std::make_unique<Probe>(journal, "c"));
    journal.events.clear();
    EXPECT_FALSE(database.Perform(std::move(group)));
    // The walk stopped at b; a's effect stays, the set is discarded.
    EXPECT_EQ(journal.events, (std::vector<std::string>{"do a", "do b", "~a", "~b", "~c"}));

    auto fragile = std::make_unique<TaskSet>(&database);
    fragile->Add(std::make_unique<Probe>(journal, "x"));
    TaskSet* set = fragile.get();
    ASSERT_TRUE(database.Perform(std::move(fragile)));
    EXPECT_TRUE(set->CanUndo());
    EXPECT_TRUE(database.Undo());
    EXPECT_TRUE(set->CanRedo());
    EXPECT_EQ(set->GetName(), "Task Set");
}

TEST(History, OnChangedRunsOncePerOutermostOperation) {
    // A task that performs another task from inside its Do: only the outer bracket reports.
    class Nesting : public Task {
    public:
        Nesting(PlumeData* database, Journal& journal) : Task(database), journal_(journal) {}
        bool Do() override {
            return database_->Perform(std::make_unique<Probe>(journal_, "inner"));
        }
        bool Undo() override { return true; }
        bool Redo() override { return true; }

    private:
        Journal& journal_;
    };
    Journal journal;
    ModifiedCounter document;
    PlumeData database(&document);
    database.Perform(std::make_unique<Nesting>(&database, journal));
    EXPECT_EQ(document.calls, 1);
    database.Undo();
    database.Redo();
    EXPECT_EQ(document.calls, 3);
    database.Undo();
    database.Undo();
    database.Undo(); // nothing left: no report
    EXPECT_EQ(document.calls, 5);
}

} // namespace
