#include "../platform_qt/ModalDriver.h"
#include "../ui/DialogDriver.h"
#include "FrameRig.h"
#include "database/DbAttMgrRep.h"
#include "database/DbPointRep.h"
#include "database/PlumeData.h"
#include "history/PrimTask.h"
#include "shell/AddAttDlg.h"
#include "shell/AttGenDlg.h"
#include "shell/AttListCtrl.h"
#include "shell/CChildFrame.h"
#include "shell/CDataView.h"
#include "shell/DataListModel.h"
#include "shell/EditAttDlg.h"
#include "view/CPlumeView.h"

#include <QApplication>
#include <QDockWidget>
#include <QHeaderView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void MouseClick(QWidget* widget, QPoint at, QEvent::Type second = QEvent::MouseButtonRelease) {
    const QPointF point(at);
    QMouseEvent press(QEvent::MouseButtonPress, point, widget->mapToGlobal(point), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, point, widget->mapToGlobal(point),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
    if (second == QEvent::MouseButtonDblClick) {
        QMouseEvent dbl(QEvent::MouseButtonDblClick, point, widget->mapToGlobal(point),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &dbl);
        QApplication::sendEvent(widget, &release);
    }
}

struct PanelRig : FrameRig {
    PanelRig() {
        document = frame->Documents().OpenFile(Image("graph.bmp", 120, 80));
        EXPECT_NE(document, nullptr);
        frame->RunCommand(kDefineMappingFullSized);
        panel = frame->AttributesPanel();
        list = panel->List();
    }
    PlumeData& Data() { return *document->Database(); }
    void Collect(double x, double y) {
        auto* point = new DbPointRep(DPoint{x, y});
        ASSERT_TRUE(
            Data().Perform(std::make_unique<PrimTask>(&Data(), SmartPtr<DbPrimRep>(point))));
        document->CommitTask();
    }
    // "New Attribute" clicked; the dialog filled and OK pressed, and, when the name is
    // refused, the message read and the dialog cancelled.
    std::string Define(const QString& name, const QString& value, bool onlyCurrentSet) {
        ModalDriver driver;
        std::string message;
        driver.Then<QDialog>([&](QDialog& dialog) {
            Fill(dialog, {{"Name:", name},
                          {"Value:", value},
                          {"Add only to current set", onlyCurrentSet ? "1" : "0"}});
            Click(dialog, "OK");
        });
        driver.Then<QMessageBox>([&](QMessageBox& box) {
            message = box.text().toStdString();
            box.accept();
        });
        driver.Then<QDialog>([](QDialog& dialog) { Click(dialog, "Cancel"); });
        MouseClick(panel->NewButton(), panel->NewButton()->rect().center());
        QApplication::processEvents();
        return message;
    }
    // Works the Edit Attribute dialog that `open` brings up.
    std::string Edit(const std::function<void()>& open, const QString& name, const QString& value) {
        ModalDriver driver;
        std::string message;
        driver.Then<QDialog>([&](QDialog& dialog) {
            Fill(dialog, {{"Name:", name}, {"Value:", value}});
            Click(dialog, "OK");
        });
        driver.Then<QMessageBox>([&](QMessageBox& box) {
            message = box.text().toStdString();
            box.accept();
        });
        driver.Then<QDialog>([](QDialog& dialog) { Click(dialog, "Cancel"); });
        open();
        QApplication::processEvents();
        return message;
    }
    // What the list shows: "name=value" with "+" when checked, in list order.
    std::vector<std::string> Shown() const {
        std::vector<std::string> rows;
        for (int row = 0; row < list->rowCount(); ++row) {
            rows.push_back(list->item(row, 0)->text().toStdString() + "=" +
                           list->item(row, 1)->text().toStdString() +
                           (list->item(row, 0)->checkState() == Qt::Checked ? "+" : ""));
        }
        return rows;
    }
    // The manager's list in order: "name=value" with "+" when active.
    std::vector<std::string> Stored() {
        std::vector<std::string> rows;
        const DbAttSetRep& all = Data().AttributeManager().All();
        for (std::int32_t i = 0; i < all.Count(); ++i) {
            rows.push_back(all[i]->name + "=" + all[i]->value + (all[i]->active != 0 ? "+" : ""));
        }
        return rows;
    }
    std::string Text() {
        std::string text;
        Data().ExportText(text, ",");
        return text;
    }
    std::vector<std::vector<QString>> DataRows() {
        QCoreApplication::processEvents(); // the list is made again from the event loop
        return frame->ActiveFrame()->DataList()->Model()->Rows();
    }
    void Select(int row) {
        list->setFocus();
        list->setCurrentCell(row, 1);
    }
    void Key(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
        QApplication::processEvents();
    }

    CPlumeDoc* document = nullptr;
    AttGenDlg* panel = nullptr;
    AttListCtrl* list = nullptr;
};

using Rows = std::vector<std::string>;

// Through clicks and keys on the panel: define, refuse duplicates, stamp points, switch
// off, rename, change a value, delete; the exported text and the data list follow, and
// undoing it all gives back the document as it was.
TEST(AttributesPanel, DefineToggleEditDeleteAndUndo) {
    PanelRig rig;
    EXPECT_TRUE(rig.frame->AttributesDock()->isVisible());
    EXPECT_TRUE(rig.Checked(kAttributes));
    rig.Collect(10, 10);
    const std::string plain = rig.Text();
    const auto plainRows = rig.DataRows();
    const std::int32_t before = rig.Data().HistoryTop();

    EXPECT_EQ(rig.Define("  Sample ", " A1 ", false), "");
    EXPECT_EQ(rig.Stored(), (Rows{"Sample=A1+"})) << "trimmed and active";
    EXPECT_EQ(rig.Define("Sample", "B", false), "The attribute name must not be a duplicate.");
    EXPECT_EQ(rig.Define("sample", "x", false), "") << "another case is another name";
    EXPECT_EQ(rig.Define("Note", "set only", true), "");
    EXPECT_EQ(rig.Stored(), (Rows{"Sample=A1+", "sample=x+"})) << "the entry is the set's";
    EXPECT_EQ(rig.Shown(), (Rows{"Sample=A1+", "sample=x+"}));
    EXPECT_NE(rig.Text().find("Note"), std::string::npos) << rig.Text();
    EXPECT_EQ(ApplicationState::Current().attributeName, "Note") << "remembered";

    rig.Collect(20, 20);
    const std::string stamped = rig.Text();
    EXPECT_NE(stamped.find("A1"), std::string::npos) << stamped;
    // The data list: the set's entry, the column names with the attributes', the points.
    const auto rows = rig.DataRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<QString>{"Note", "set only"}));
    EXPECT_EQ(rows[1], (std::vector<QString>{"X", "Y", "Sample", "sample"}));
    EXPECT_EQ(rows[3].size(), 4u) << "the new point carries both";
    EXPECT_EQ(rows[3][2], "A1");
    EXPECT_EQ(rows[3][3], "x");

    // Off with a click on its check mark; the next point has no such value.
    const int lower = rig.list->RowOf("sample");
    ASSERT_GE(lower, 0);
    MouseClick(rig.list->viewport(), rig.list->CheckMarkRect(lower).center());
    QApplication::processEvents();
    EXPECT_EQ(rig.Stored(), (Rows{"Sample=A1+", "sample=x"}));
    EXPECT_EQ(rig.Shown(), (Rows{"Sample=A1+", "sample=x"}));
    rig.Collect(30, 30);

    // Rename: active again, at the end.
    const int upper = rig.list->RowOf("Sample");
    EXPECT_EQ(rig.Edit(
                  [&] {
                      MouseClick(rig.list->viewport(),
                                 rig.list->visualItemRect(rig.list->item(upper, 1)).center(),
                                 QEvent::MouseButtonDblClick);
                  },
                  "Label", "A1"),
              "");
    EXPECT_EQ(rig.Stored(), (Rows{"sample=x", "Label=A1+"}));

    // A value only, from the keyboard: place and check mark kept.
    rig.Select(rig.list->RowOf("sample"));
    EXPECT_EQ(rig.Edit([&] { rig.Key(Qt::Key_Return); }, "sample", " y "), "");
    EXPECT_EQ(rig.Stored(), (Rows{"sample= y ", "Label=A1+"})) << "no trimming when editing";
    // A new name that another attribute has is refused.
    rig.Select(rig.list->RowOf("Label"));
    EXPECT_EQ(rig.Edit([&] { rig.Key(Qt::Key_Return); }, "sample", "z"),
              "The attribute name must not be a duplicate.");
    EXPECT_EQ(rig.Stored(), (Rows{"sample= y ", "Label=A1+"}));

    // Space switches the selected one; F2 edits the label shown, nothing else.
    rig.Select(rig.list->RowOf("sample"));
    rig.Key(Qt::Key_Space);
    EXPECT_EQ(rig.Stored(), (Rows{"sample= y +", "Label=A1+"}));
    rig.list->item(rig.list->RowOf("Label"), 0)->setText("Shown only");
    QApplication::processEvents();
    EXPECT_EQ(rig.Stored(), (Rows{"sample= y +", "Label=A1+"}));
    EXPECT_EQ(rig.list->At(rig.list->RowOf("Label")).name, "Label");

    // Delete, from the keyboard.
    rig.Select(rig.list->RowOf("Label"));
    rig.Key(Qt::Key_Delete);
    EXPECT_EQ(rig.Stored(), (Rows{"sample= y +"}));
    EXPECT_EQ(rig.Shown(), (Rows{"sample= y +"}));
    EXPECT_EQ(rig.DataRows().size(), 5u) << "the set's entry, the names, three points";

    // Undone step by step, the list follows; all undone, the document is as it was.
    ASSERT_TRUE(rig.document->Undo());
    EXPECT_EQ(rig.Stored(), (Rows{"sample= y +", "Label=A1+"})) << "back at the end";
    while (rig.Data().HistoryTop() > before) {
        ASSERT_TRUE(rig.document->Undo());
    }
    EXPECT_TRUE(rig.Stored().empty());
    EXPECT_EQ(rig.Text(), plain);
    EXPECT_EQ(rig.DataRows(), plainRows);
    EXPECT_TRUE(rig.Shown().empty());

    // And redone from the Edit menu's command, all of it comes back.
    while (rig.Enabled(kRedo)) {
        rig.frame->RunCommand(kRedo);
    }
    EXPECT_EQ(rig.Stored(), (Rows{"sample= y +"}));
    EXPECT_EQ(rig.Shown(), (Rows{"sample= y +"}));
    EXPECT_EQ(rig.DataRows().size(), 5u);
}

// The panel follows the active document, lets go of a closed one, and with no document
// view is hidden, its command disabled, and New Attribute does nothing.
TEST(AttributesPanel, FollowsTheActiveDocument) {
    PanelRig rig;
    EXPECT_EQ(rig.Define("First", "1", false), "");
    CPlumeDoc* second = rig.frame->Documents().OpenFile(rig.Image("second.bmp", 60, 40));
    ASSERT_NE(second, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(rig.panel->Document(), second);
    EXPECT_TRUE(rig.Shown().empty());
    EXPECT_EQ(rig.Define("Second", "2", false), "");
    EXPECT_EQ(rig.Shown(), (Rows{"Second=2+"}));

    rig.frame->RunCommand(kFileClose); // the second
    QApplication::processEvents();
    EXPECT_EQ(rig.panel->Document(), rig.document);
    EXPECT_EQ(rig.Shown(), (Rows{"First=1+"}));

    rig.frame->RunCommand(kAttributes);
    EXPECT_FALSE(rig.frame->AttributesDock()->isVisible());
    EXPECT_FALSE(rig.Checked(kAttributes));
    rig.frame->RunCommand(kAttributesBar);
    EXPECT_TRUE(rig.frame->AttributesDock()->isVisible());

    rig.frame->RunCommand(kFileClose);
    QApplication::processEvents();
    EXPECT_EQ(rig.panel->Document(), nullptr);
    EXPECT_FALSE(rig.frame->AttributesDock()->isVisible());
    EXPECT_FALSE(rig.Enabled(kAttributes));
    ModalDriver none;
    rig.panel->NewAttribute();
    QApplication::processEvents();
    EXPECT_TRUE(none.Done()) << "no dialog without a document";
    EXPECT_TRUE(rig.Shown().empty());
}

// The dialogs from the keyboard and a screen reader; the panel's layout: the button across
// the bottom, the list above it less 5 pixels, "Value" taking what "Name" leaves less 5.
TEST(AttributesPanel, KeyboardNamesAndLayout) {
    PanelRig rig;
    const auto check = [](QDialog& dialog, std::vector<std::string> fields) {
        dialog.show();
        QApplication::processEvents();
        ExpectKeyboardComplete(dialog, fields, {"Cancel", "OK"}, "OK");
    };
    AddAttDlg define("n", "v", false, {});
    check(define, {"Name:", "Value:", "Add only to current set"});
    EditAttDlg edit("n", "v", {});
    check(edit, {"Name:", "Value:"});

    EXPECT_EQ(SpokenName(rig.list), "Attributes");
    EXPECT_EQ(SpokenName(rig.panel->NewButton()), "New Attribute");
    rig.panel->resize(300, 200);
    QApplication::processEvents();
    const QRect button = rig.panel->NewButton()->geometry();
    EXPECT_EQ(button.left(), 0);
    EXPECT_EQ(button.width(), 300);
    EXPECT_EQ(button.bottom(), 199);
    EXPECT_EQ(rig.list->geometry(), QRect(0, 0, 300, 200 - button.height() - 5));
    QHeaderView* header = rig.list->horizontalHeader();
    EXPECT_EQ(header->sectionSize(1), rig.list->viewport()->width() - header->sectionSize(0) - 5);
}

} // namespace
