#pragma once

#include <list>
#include <memory>

// Change notification. Every observer is also a subject that others can observe.
// Links are plain, non-owning pointers; neither side's destructor removes them, so an
// observer that may die before its subject detaches itself first.
class Observer {
public:
    Observer() = default;
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;
    virtual ~Observer();

    // Receives one notification; the hint is not read by any receiver.
    virtual void Update(Observer* subject, void* hint);
    // Registers this object with the subject.
    virtual void Observe(Observer* subject);
    // Appends the observer; no check for duplicates.
    virtual void Attach(Observer* observer);
    // Removes the first registration of the observer, if any.
    virtual void Detach(Observer* observer);
    // Calls Update on every registered observer, in order of registration.
    virtual void Notify(void* hint);

    int ObserverCount() const;

private:
    std::unique_ptr<std::list<Observer*>> observers_;
};

// The hint that database notifications pass: a pointer to a zero word.
void* DatabaseHint();
