#pragma once

#include <string>

class PlumeData;

// One undoable change. The initiator builds it with everything it needs and hands it to
// the database's Perform; the history then owns it. A task captures what it needs to
// reverse itself when it first runs (Do), except where a subclass says otherwise.
class Task {
public:
    explicit Task(PlumeData* database) : database_(database) {}
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    virtual ~Task() = default;

    virtual bool Undo() = 0;
    virtual bool Redo() = 0;
    // The first execution.
    virtual bool Do() = 0;
    virtual bool CanUndo() { return true; }
    virtual bool CanRedo() { return true; }
    virtual std::string GetName() const { return std::string(); }

protected:
    PlumeData* database_;
};
