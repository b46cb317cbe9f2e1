#include "shell/ShellIcons.h"

#include "document/CommandTable.h"
#include "shell/CommandActions.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The commands that have a button on one of the four toolbars.
std::vector<const CommandRow*> ToolbarRows() {
    std::vector<const CommandRow*> rows;
    for (const auto* bar : {&CommandActions::StandardBar(), &CommandActions::ViewBar(),
                            &CommandActions::DigitizeBar(), &CommandActions::DataSetsBar()}) {
        for (int id : *bar) {
            if (id == 0) {
                continue;
            }
            if (const CommandRow* row = FindCommand(id)) {
                rows.push_back(row);
            } else {
                ADD_FAILURE() << "the button " << id << " has no command";
            }
        }
    }
    return rows;
}

std::string Name(const CommandRow& row) {
    return row.text;
}

QImage Pixels(const QIcon& icon, int size) {
    return icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
}

int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) >= 128 ? 1 : 0;
        }
    }
    return count;
}

bool CornersClear(const QImage& image) {
    const int w = image.width() - 1;
    const int h = image.height() - 1;
    return qAlpha(image.pixel(0, 0)) == 0 && qAlpha(image.pixel(w, 0)) == 0 &&
           qAlpha(image.pixel(0, h)) == 0 && qAlpha(image.pixel(w, h)) == 0;
}

// How many pixels of the icon, laid on a toolbar of the given colour, differ from the bar
// by at least a quarter of the grey scale: the pixels a user can actually make out.
int ContrastingPixels(const QIcon& icon, int size, QColor bar) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(bar);
    {
        QPainter painter(&image);
        painter.drawPixmap(0, 0, icon.pixmap(size));
    }
    const int background = qGray(bar.rgb());
    int count = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            count += std::abs(qGray(image.pixel(x, y)) - background) >= 64 ? 1 : 0;
        }
    }
    return count;
}

TEST(ShellIcons, EveryCommandWithAButtonOrAnIconNameHasAValidDrawingOfItsOwn) {
    std::vector<const CommandRow*> rows = ToolbarRows();
    for (const CommandRow& row : CommandTable()) {
        if (row.icon[0] != '\0') {
            rows.push_back(&row);
        }
    }
    ASSERT_GT(rows.size(), 40u);
    for (const CommandRow* row : rows) {
        SCOPED_TRACE(Name(*row));
        const QByteArray svg = ShellIcons::CommandSvg(row->id);
        ASSERT_FALSE(svg.isEmpty());
        EXPECT_TRUE(QSvgRenderer(svg).isValid());
    }
    for (const QByteArray& svg : {ShellIcons::ApplicationSvg(), ShellIcons::DocumentSvg()}) {
        EXPECT_TRUE(QSvgRenderer(svg).isValid());
    }
}

TEST(ShellIcons, ToolbarIconsHaveEverySizeSomethingToSeeAndClearCorners) {
    const QList<QSize> sizes{QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    for (const CommandRow* row : ToolbarRows()) {
        SCOPED_TRACE(Name(*row));
        const QIcon icon = ShellIcons::ForCommand(*row);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes(), sizes);
        for (int size : {16, 24}) {
            SCOPED_TRACE(size);
            const QImage image = Pixels(icon, size);
            ASSERT_EQ(image.size(), QSize(size, size));
            // A drawing that has gone missing or off its grid leaves a few stray pixels;
            // the sparsest of ours covers more than a tenth of its square.
            EXPECT_GE(OpaquePixels(image), size * size / 10);
            EXPECT_TRUE(CornersClear(image));
        }
    }
}

TEST(ShellIcons, ToolbarIconsStandOutOnLightAndDarkBars) {
    struct Bar {
        const char* name;
        QColor colour;
    };
    const Bar bars[] = {{"light", QColor(0xef, 0xef, 0xef)},
                        {"white", QColor(0xff, 0xff, 0xff)},
                        {"dark", QColor(0x35, 0x35, 0x35)},
                        // the colour of the lines themselves: only the light rim shows them
                        {"as dark as the lines", QColor(0x2b, 0x2b, 0x2b)}};
    for (const Bar& bar : bars) {
        SCOPED_TRACE(bar.name);
        for (const CommandRow* row : ToolbarRows()) {
            SCOPED_TRACE(Name(*row));
            const QIcon icon = ShellIcons::ForCommand(*row);
            EXPECT_GE(ContrastingPixels(icon, 16, bar.colour), 16 * 16 / 10);
            EXPECT_GE(ContrastingPixels(icon, 24, bar.colour), 24 * 24 / 10);
        }
    }
}

TEST(ShellIcons, NoTwoToolbarButtonsLookAlike) {
    const std::vector<const CommandRow*> rows = ToolbarRows();
    std::vector<QImage> images;
    for (const CommandRow* row : rows) {
        images.push_back(Pixels(ShellIcons::ForCommand(*row), 24));
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size(); ++j) {
            EXPECT_FALSE(images[i] == images[j]) << Name(*rows[i]) << " and " << Name(*rows[j]);
        }
    }
}

TEST(ShellIcons, DrawingIsFoundByCommandIdAndOnlyAnUndrawnNamelessRowHasNoIcon) {
    struct Case {
        int id;
        const char* icon;
        bool drawn;
    };
    const Case cases[] = {
        {kZoomIn, "", true}, // the id decides, not the name
        {kCollectPoints, "no-such-theme-icon", true},
        {kRotate180, "", true},  // drawn although the table names no icon
        {kStatusBar, "", false}, // no drawing, no name: no icon
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        CommandRow row = *FindCommand(c.id);
        row.icon = c.icon;
        const QIcon icon = ShellIcons::ForCommand(row);
        EXPECT_EQ(!icon.isNull(), c.drawn);
        EXPECT_EQ(!ShellIcons::CommandSvg(c.id).isEmpty(), c.drawn);
    }
}

TEST(ShellIcons, ApplicationAndDocumentIconsRangeFromSixteenToTwoHundredFiftySix) {
    const std::vector<int> sizes{16, 24, 32, 48, 64, 128, 256};
    QList<QSize> squares;
    for (int size : sizes) {
        squares.push_back(QSize(size, size));
    }
    for (const QIcon& icon : {ShellIcons::Application(), ShellIcons::Document()}) {
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes(), squares);
        for (int size : sizes) {
            SCOPED_TRACE(size);
            const QImage image = Pixels(icon, size);
            ASSERT_EQ(image.size(), QSize(size, size));
            EXPECT_GE(OpaquePixels(image), size * size / 4);
            EXPECT_TRUE(CornersClear(image));
        }
    }
}

// Not a check but a picture for the eye: every drawing at 16, 24 and 48 px on a light and
// a dark bar. Run with --gtest_also_run_disabled_tests --gtest_filter=*ContactSheet.
TEST(ShellIcons, DISABLED_ContactSheet) {
    std::vector<QIcon> icons;
    for (const CommandRow& row : CommandTable()) {
        if (!ShellIcons::CommandSvg(row.id).isEmpty()) {
            icons.push_back(ShellIcons::ForCommand(row));
        }
    }
    icons.push_back(ShellIcons::Application());
    icons.push_back(ShellIcons::Document());
    constexpr int kColumns = 10;
    constexpr int kCellWidth = 16 + 24 + 48 + 4 * 6;
    constexpr int kCellHeight = 56;
    const int rows = (static_cast<int>(icons.size()) + kColumns - 1) / kColumns;
    const struct {
        const char* path;
        QColor bar;
    } sheets[] = {{"/tmp/icons-light.png", QColor(0xef, 0xef, 0xef)},
                  {"/tmp/icons-dark.png", QColor(0x35, 0x35, 0x35)}};
    for (const auto& sheet : sheets) {
        QImage image(kColumns * kCellWidth + 8, rows * kCellHeight + 8, QImage::Format_ARGB32);
        image.fill(sheet.bar);
        QPainter painter(&image);
        for (size_t i = 0; i < icons.size(); ++i) {
            int x = 4 + static_cast<int>(i % kColumns) * kCellWidth;
            const int y = 4 + static_cast<int>(i / kColumns) * kCellHeight;
            for (int size : {16, 24, 48}) {
                painter.drawPixmap(x, y + (48 - size) / 2 + 4, icons[i].pixmap(size));
                x += size + 6;
            }
        }
        painter.end();
        EXPECT_TRUE(image.save(sheet.path)) << sheet.path;
    }
}

} // namespace
