#include "core/Observer.h"

#include <algorithm>

Observer::~Observer() = default;

void Observer::Update(Observer*, void*) {}

void Observer::Observe(Observer* subject) {
    subject->Attach(this);
}

void Observer::Attach(Observer* observer) {
    if (!observers_) {
        observers_ = std::make_unique<std::list<Observer*>>();
    }
    observers_->push_back(observer);
}

void Observer::Detach(Observer* observer) {
    if (!observers_) {
        return;
    }
    auto found = std::find(observers_->begin(), observers_->end(), observer);
    if (found != observers_->end()) {
        observers_->erase(found);
    }
}

void Observer::Notify(void* hint) {
    if (!observers_) {
        return;
    }
    // The next link is taken before the call, so an observer may detach itself in Update.
    for (auto it = observers_->begin(); it != observers_->end();) {
        Observer* observer = *it++;
        observer->Update(this, hint);
    }
}

int Observer::ObserverCount() const {
    return observers_ ? static_cast<int>(observers_->size()) : 0;
}

void* DatabaseHint() {
    static int zero = 0;
    zero = 0;
    return &zero;
}
