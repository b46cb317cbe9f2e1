#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <utility>

// Works the modal windows that a prompt opens while it runs its own event loop. Each step
// waits for a modal window of its class (and, if it says so, for that window to be ready,
// as a user waits for a button to come alive) and acts on it once, in order; a step's
// action may open a nested box, which the next step answers. A modal window that does not
// belong to the next step, comes after the last, or never gets ready is rejected and
// counted, so a test that goes wrong fails instead of hanging.
class ModalDriver {
public:
    ModalDriver() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(2);
    }

    template <class Widget>
    ModalDriver& Then(std::function<void(Widget&)> act,
                      std::function<bool(Widget&)> ready = nullptr) {
        steps_.push_back([act = std::move(act), ready = std::move(ready)](QWidget& modal) {
            auto* widget = qobject_cast<Widget*>(&modal);
            if (widget == nullptr) {
                return Outcome::NotMine;
            }
            if (ready && !ready(*widget)) {
                return Outcome::NotYet;
            }
            act(*widget);
            return Outcome::Done;
        });
        return *this;
    }

    // Every step ran and nothing else was shown.
    bool Done() const { return steps_.empty() && unexpected_ == 0; }
    std::size_t Remaining() const { return steps_.size(); }
    int Unexpected() const { return unexpected_; }

private:
    enum class Outcome { NotMine, NotYet, Done };
    // Polls a step may wait for its window to get ready: far longer than any dialog needs.
    static constexpr int kPatience = 5000;

    // A timer does not fire again while its own handler runs, and an action's nested box
    // needs the next poll: so the poll only queues the action, which looks for the modal
    // window afresh when it runs.
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (queued_ || modal == nullptr || !modal->isVisible()) {
            return;
        }
        queued_ = true;
        QTimer::singleShot(0, &timer_, [this] { Act(); });
    }

    void Act() {
        queued_ = false;
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (!steps_.empty()) {
            // Off the list before it runs, for the nested boxes its action may open.
            auto step = std::move(steps_.front());
            steps_.pop_front();
            const Outcome outcome = step(*modal);
            if (outcome == Outcome::Done) {
                waited_ = 0;
                return;
            }
            if (outcome == Outcome::NotYet && ++waited_ < kPatience) {
                steps_.push_front(std::move(step));
                return;
            }
        }
        ++unexpected_;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    QTimer timer_;
    std::deque<std::function<Outcome(QWidget&)>> steps_;
    int unexpected_ = 0;
    int waited_ = 0;
    bool queued_ = false;
};

inline void SendKey(QWidget& widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &release);
}

// The accepting button of the dialog's button box ("Open", "Save").
inline QAbstractButton* AcceptButton(QDialog& dialog) {
    for (auto* box : dialog.findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                return button;
            }
        }
    }
    return nullptr;
}

inline bool CanAccept(QDialog& dialog) {
    QAbstractButton* button = AcceptButton(dialog);
    return button != nullptr && button->isEnabled();
}

// Clicks the accepting button as a user would; a disabled button does nothing.
inline void ClickAccept(QDialog& dialog) {
    if (QAbstractButton* button = AcceptButton(dialog)) {
        button->click();
    }
}
