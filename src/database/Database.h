#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Task;

// The undo/redo history of a document. Tasks [0, top) are done, [top, count) undone and
// redoable; the history owns them all. BeginUpdate/EndUpdate bracket every Perform, Undo
// and Redo, so OnChanged runs once, when the outermost one ends.
class Database {
public:
    Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    virtual ~Database();

    virtual bool CanUndo() const;
    virtual bool CanRedo() const;
    // The position moves before the task runs: a task that fails to undo still counts as
    // undone.
    virtual bool Undo();
    virtual bool Redo();
    // Runs the task's Do. On success the redo tail is destroyed and the task recorded; on
    // failure the task is destroyed and the history is unchanged.
    virtual bool Perform(std::unique_ptr<Task> task);
    virtual std::string UndoName() const;
    virtual std::string RedoName() const;
    virtual bool ClearHistory();
    virtual void OnChanged();
    virtual void BeginUpdate();
    virtual void EndUpdate();

    std::int32_t HistoryCount() const { return count_; }
    std::int32_t HistoryTop() const { return top_; }

private:
    void DestroyFrom(std::int32_t first);

    std::vector<std::unique_ptr<Task>> tasks_; // [count_, size) are empty
    std::int32_t count_ = 0;
    std::int32_t top_ = 0;
    std::int32_t depth_ = 0;
};
