#pragma once

// Helpers that work a dialog as a person would, from the keyboard and through the names a
// screen reader hears. Shared by the dialog tests of tests/ui and tests/shell.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

// What a screen reader announces for the widget: its accessible name, or the text of the
// label that is its buddy, or its own text, without mnemonic marks.
inline QString SpokenName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

// The one widget of the window that is announced under `name`; null when there is none or
// more than one.
template <typename Widget = QWidget> Widget* Control(QWidget& window, const QString& name) {
    Widget* found = nullptr;
    for (Widget* widget : window.findChildren<Widget*>()) {
        if (SpokenName(widget) == name) {
            if (found != nullptr) {
                return nullptr;
            }
            found = widget;
        }
    }
    return found;
}

// The widgets that Tab reaches, in the order of the focus chain: visible, enabled and
// taking focus by Tab.
inline std::vector<QWidget*> TabStops(QWidget& window) {
    std::vector<QWidget*> stops;
    for (QWidget* widget = window.nextInFocusChain(); widget != &window;
         widget = widget->nextInFocusChain()) {
        // A widget that hands its focus on (a spin box's text field) is not a stop of its own.
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() &&
            widget->isVisibleTo(&window) && widget->focusProxy() == nullptr) {
            stops.push_back(widget);
        }
    }
    return stops;
}

inline void SendKey(QWidget* widget, int key, const QString& text = QString(),
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

// Presses a key where the keyboard focus of the window is.
inline void Press(QWidget& window, int key) {
    QWidget* focus = window.focusWidget();
    SendKey(focus != nullptr ? focus : &window, key);
}

// Types the text where the keyboard focus of the window is.
inline void Type(QWidget& window, const QString& text) {
    for (const QChar c : text) {
        QWidget* focus = window.focusWidget();
        SendKey(focus != nullptr ? focus : &window, c.toUpper().unicode(), QString(c));
    }
}

// Answers every message box that opens while it lives, keeping the texts in order. It
// looks whenever an event loop runs (the box's own loop included), so it needs no delay.
class MessageCatcher {
public:
    MessageCatcher() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.push_back(box->text().toStdString());
                box->accept();
            }
        });
        timer_.start();
    }
    MessageCatcher(const MessageCatcher&) = delete;
    MessageCatcher& operator=(const MessageCatcher&) = delete;

    // The single message shown, "" for none; every text, joined, when there were several.
    std::string Shown() const {
        std::string all;
        for (const std::string& text : texts) {
            all += (all.empty() ? "" : " | ") + text;
        }
        return all;
    }

    std::vector<std::string> texts;

private:
    QTimer timer_;
};

// Clicks the dialog's button announced under `name` ("OK", "Cancel", "Close").
inline void Click(QWidget& window, const QString& name) {
    if (auto* button = Control<QAbstractButton>(window, name)) {
        button->click();
    }
}

// A field's text, or "1" / "0" for a check box, by the control's spoken name.
struct Entry {
    QString name;
    QString text;
};

inline void Fill(QWidget& window, const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
        if (auto* field = Control<QLineEdit>(window, entry.name)) {
            field->setText(entry.text);
        } else if (auto* box = Control<QCheckBox>(window, entry.name)) {
            box->setChecked(entry.text == QStringLiteral("1"));
        } else {
            ADD_FAILURE() << "no control " << entry.name.toStdString();
        }
    }
}

// What a keyboard and screen-reader user meets in a shown dialog: Tab visits `fields` in
// that order and then the `buttons` (in the platform's button order, so compared sorted),
// every stop has a name, the default button is `defaultButton`, no text is shown narrower
// than it needs, and Escape closes the dialog without OK.
inline void ExpectKeyboardComplete(QDialog& dialog, const std::vector<std::string>& fields,
                                   std::vector<std::string> buttons,
                                   const std::string& defaultButton) {
    std::vector<std::string> stops;
    for (QWidget* stop : TabStops(dialog)) {
        stops.push_back(SpokenName(stop).trimmed().toStdString());
        EXPECT_NE(stops.back(), "") << "unnamed " << stop->metaObject()->className();
    }
    ASSERT_EQ(stops.size(), fields.size() + buttons.size());
    const auto firstButton = stops.begin() + static_cast<std::ptrdiff_t>(fields.size());
    EXPECT_EQ(std::vector<std::string>(stops.begin(), firstButton), fields);
    std::vector<std::string> shownButtons(firstButton, stops.end());
    std::sort(shownButtons.begin(), shownButtons.end());
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(shownButtons, buttons);

    std::string defaults;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->isDefault()) {
            defaults += SpokenName(button).toStdString();
        }
    }
    EXPECT_EQ(defaults, defaultButton);

    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        const bool hasText = qobject_cast<QLabel*>(widget) != nullptr ||
                             qobject_cast<QAbstractButton*>(widget) != nullptr;
        if (hasText && widget->isVisibleTo(&dialog)) {
            EXPECT_GE(widget->width(), widget->sizeHint().width())
                << "clipped " << SpokenName(widget).toStdString();
            EXPECT_GE(widget->height(), widget->sizeHint().height())
                << "clipped " << SpokenName(widget).toStdString();
        }
    }

    SendKey(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
