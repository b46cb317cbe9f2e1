#include "platform_qt/QtMessageService.h"

#include "ModalDriver.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::StandardButtons buttons;
    QWidget* parent = nullptr;
};

SeenBox See(const QMessageBox& box) {
    return {box.windowTitle(),     box.text(),        box.icon(), box.textFormat(),
            box.standardButtons(), box.parentWidget()};
}

// How a test answers a box: one of its buttons, a key, or closing it.
enum class Act { Yes, No, Retry, Cancel, Escape, Return, Close };

void Answer(QMessageBox& box, Act act) {
    switch (act) {
    case Act::Yes:
        box.button(QMessageBox::Yes)->click();
        break;
    case Act::No:
        box.button(QMessageBox::No)->click();
        break;
    case Act::Retry:
        box.button(QMessageBox::Retry)->click();
        break;
    case Act::Cancel:
        box.button(QMessageBox::Cancel)->click();
        break;
    case Act::Escape:
        SendKey(box, Qt::Key_Escape);
        break;
    case Act::Return:
        SendKey(box, Qt::Key_Return);
        break;
    case Act::Close:
        box.close();
        break;
    }
}

TEST(QtMessageService, ShowMessageIsAPlainInformationBoxOverItsLiveParent) {
    enum class Parent { None, Alive, Deleted };
    for (const Parent parent : {Parent::None, Parent::Alive, Parent::Deleted}) {
        SCOPED_TRACE(static_cast<int>(parent));
        auto window = std::make_unique<QWidget>();
        QtMessageService service(parent == Parent::None ? nullptr : window.get());
        if (parent == Parent::Deleted) {
            window.reset();
        }
        SeenBox seen;
        ModalDriver driver;
        driver.Then<QMessageBox>([&](QMessageBox& box) {
            seen = See(box);
            box.button(QMessageBox::Ok)->click();
        });
        // Markup-like text and a doubled space must reach the user as written.
        service.ShowMessage(
            "Unknown file type detected...\nNot a known image or restart  file. <b>");
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(seen.title, "Corvane Tracery");
        EXPECT_EQ(seen.text,
                  "Unknown file type detected...\nNot a known image or restart  file. <b>");
        EXPECT_EQ(seen.icon, QMessageBox::Information);
        EXPECT_EQ(seen.format, Qt::PlainText);
        EXPECT_EQ(seen.buttons, QMessageBox::Ok);
        EXPECT_EQ(seen.parent, parent == Parent::Alive ? window.get() : nullptr);
    }
}

TEST(QtMessageService, AskSaveChangesAnswersByButtonKeyOrClosing) {
    const struct {
        Act act;
        MessageService::Answer answer;
    } cases[] = {
        {Act::Yes, MessageService::Answer::Yes},
        {Act::No, MessageService::Answer::No},
        {Act::Cancel, MessageService::Answer::Cancel},
        {Act::Escape, MessageService::Answer::Cancel},
        {Act::Return, MessageService::Answer::Yes}, // the default button
        {Act::Close, MessageService::Answer::Cancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.act));
        QtMessageService service(nullptr);
        SeenBox seen;
        ModalDriver driver;
        driver.Then<QMessageBox>([&](QMessageBox& box) {
            seen = See(box);
            Answer(box, c.act);
        });
        EXPECT_EQ(service.AskSaveChanges("graph%2.plm"), c.answer);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(seen.title, "Corvane Tracery");
        EXPECT_EQ(seen.text, "Save changes to graph%2.plm?");
        EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
}

TEST(QtMessageService, AskRetryIsAWarningWithRetryAsTheDefault) {
    const struct {
        Act act;
        bool retry;
    } cases[] = {
        {Act::Retry, true},
        {Act::Cancel, false},
        {Act::Escape, false},
        {Act::Return, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.act));
        QtMessageService service(nullptr);
        SeenBox seen;
        ModalDriver driver;
        driver.Then<QMessageBox>([&](QMessageBox& box) {
            seen = See(box);
            Answer(box, c.act);
        });
        EXPECT_EQ(service.AskRetry("Internal error while preparing for TWAIN acquire."), c.retry);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(seen.text, "Internal error while preparing for TWAIN acquire.");
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_EQ(seen.buttons, QMessageBox::Retry | QMessageBox::Cancel);
    }
}

} // namespace
