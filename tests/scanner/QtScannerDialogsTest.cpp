#include "scanner/QtScannerDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Runs `act` on the modal dialog once it shows.
void OnDialog(const std::function<void(QDialog&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

QPushButton* Button(QDialog& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text().remove('&') == text) {
            return button;
        }
    }
    return nullptr;
}

const std::vector<ScannerDialogs::Device> kDevices = {
    {"test:0", "Noname", "frontend-tester"},
    {"net:host:other:1", "Maker", "Model 5"},
};

TEST(QtScannerDialogs, TheDeviceListShowsNameVendorAndModel) {
    const struct {
        const char* name;
        std::size_t current;
        int pick; // -1: keep the row shown first
        bool select;
        std::optional<std::size_t> chosen;
    } cases[] = {
        {"the current device", 1, -1, true, 1},
        {"another device", 1, 0, true, 0},
        {"cancelled", 0, 1, false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget parent;
        QtScannerDialogs dialogs;
        QStringList row;
        int columns = 0;
        OnDialog([&](QDialog& dialog) {
            auto* list = dialog.findChild<QTreeWidget*>();
            ASSERT_NE(list, nullptr);
            columns = list->columnCount();
            QTreeWidgetItem* item = list->topLevelItem(1);
            for (int column = 0; column < columns; ++column) {
                row << item->text(column);
            }
            EXPECT_EQ(list->currentItem(), list->topLevelItem(static_cast<int>(c.current)));
            if (c.pick >= 0) {
                list->setCurrentItem(list->topLevelItem(c.pick));
            }
            Button(dialog, c.select ? "Select" : "Cancel")->click();
        });
        EXPECT_EQ(dialogs.ChooseDevice(&parent, kDevices, c.current), c.chosen);
        EXPECT_EQ(columns, 3);
        EXPECT_EQ(row, (QStringList{"net:host:other:1", "Maker", "Model 5"}));
    }
}

TEST(QtScannerDialogs, TheScanDialogEditsTheSettings) {
    const struct {
        const char* name;
        std::vector<std::string> sources;
        bool scan;
        std::string mode, source;
        int resolution;
    } cases[] = {
        {"scanned from the feeder", {"Flatbed", "ADF"}, true, "Color", "ADF", 300},
        {"no page source to choose", {}, true, "Color", "", 300},
        {"cancelled", {"Flatbed", "ADF"}, false, "Gray", "Flatbed", 75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScannerDialogs::ScanSettings settings;
        settings.modes = {"Gray", "Color"};
        settings.mode = "Gray";
        settings.resolutions = {75, 150, 300};
        settings.resolution = 75;
        settings.sources = c.sources;
        settings.source = c.sources.empty() ? "" : "Flatbed";
        QWidget parent;
        QtScannerDialogs dialogs;
        bool sourceShown = false;
        OnDialog([&](QDialog& dialog) {
            auto* mode = dialog.findChild<QComboBox*>("mode");
            auto* resolution = dialog.findChild<QComboBox*>("resolution");
            auto* source = dialog.findChild<QComboBox*>("source");
            ASSERT_NE(mode, nullptr);
            ASSERT_NE(resolution, nullptr);
            EXPECT_EQ(resolution->currentText(), "75 dpi");
            mode->setCurrentText("Color");
            resolution->setCurrentIndex(2);
            sourceShown = source != nullptr;
            if (source != nullptr) {
                source->setCurrentText("ADF");
            }
            Button(dialog, c.scan ? "Scan" : "Cancel")->click();
        });
        EXPECT_EQ(dialogs.AskScan(&parent, "test:0", settings), c.scan);
        EXPECT_EQ(sourceShown, !c.sources.empty());
        EXPECT_EQ(settings.mode, c.mode);
        EXPECT_EQ(settings.resolution, c.resolution);
        EXPECT_EQ(settings.source, c.source);
    }
}

TEST(QtScannerDialogs, TheProgressNamesThePageAndCancels) {
    QWidget parent;
    QtScannerDialogs dialogs;
    auto progress = dialogs.ShowProgress(&parent);
    EXPECT_TRUE(progress->Step(3, 50, 100));
    auto* window = parent.findChild<QProgressDialog*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->labelText(), "Scanning page 3...");
    EXPECT_EQ(window->value(), 500);
    window->cancel();
    EXPECT_FALSE(progress->Step(3, 60, 100));

    // A window closed with its parent stops the scan, and is not deleted twice.
    auto owner = std::make_unique<QWidget>();
    auto orphan = dialogs.ShowProgress(owner.get());
    owner.reset();
    EXPECT_FALSE(orphan->Step(1, 0, 0));
}

} // namespace
