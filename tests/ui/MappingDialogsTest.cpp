#include "DialogDriver.h"
#include "mapping/RegGridData.h"
#include "mapping/RegGridVw.h"
#include "mapping/TransformAxisVw.h"
#include "mapping/TransformData.h"
#include "mapping/TransformPpiVw.h"
#include "ui/PixelMappingDlg.h"
#include "ui/RegGridDlg.h"
#include "ui/TransDlg.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kNotANumber = "Please enter a number.";
constexpr const char* kLogZero = "For logarithmic scales, the limits must not be zero.";
constexpr const char* kPplZero = "The points per length must not be zero.";
constexpr const char* kStepZero = "The grid step must not be zero.";

// Presses OK; gives the message shown ("" for none).
std::string PressOk(QDialog& dialog) {
    MessageCatcher catcher;
    Click(dialog, QStringLiteral("OK"));
    return catcher.Shown();
}

std::string FocusName(QDialog& dialog) {
    return dialog.focusWidget() != nullptr ? SpokenName(dialog.focusWidget()).toStdString() : "";
}

template <typename Rep, typename Dialog> std::unique_ptr<Rep> Take(Dialog& dialog) {
    std::unique_ptr<AttributeRep> rep = dialog.TakeRepresentation();
    return std::unique_ptr<Rep>(dynamic_cast<Rep*>(rep.release()));
}

struct AxisValues {
    double xMin, xMax, yMin, yMax;
    int logX, logY;
    bool operator==(const AxisValues&) const = default;
};

AxisValues ValuesOf(const TransformData& m) {
    return {m.xMin, m.xMax, m.yMin, m.yMax, m.logX, m.logY};
}

TEST(TransDlgTest, OkTakesNumbersAndRefusesZeroOnLogAxes) {
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        const char* message; // "" when OK closes the dialog
        const char* focus;   // the field that takes the focus after the message
        AxisValues taken;    // what the copy holds after OK
    };
    const AxisValues none{};
    const std::vector<Case> cases = {
        {"linear limits",
         {{"X Min:", "0"}, {"X Max:", "10"}, {"Y Min:", "-5"}, {"Y Max:", "5"}},
         "",
         "",
         {0, 10, -5, 5, 0, 0}},
        {"blanks around numbers, exponent",
         {{"X Min:", " 2.5 "}, {"X Max:", "1e3"}, {"Y Min:", "-.5"}, {"Y Max:", "+7"}},
         "",
         "",
         {2.5, 1000, -0.5, 7, 0, 0}},
        {"log axes with positive limits",
         {{"X Min:", "0.01"}, {"X Max:", "100"}, {"X Logarithmic", "1"}, {"Y Logarithmic", "1"}},
         "",
         "",
         {0.01, 100, 1, 10, 1, 1}},
        {"a negative limit on the linear axis of a log X mapping",
         {{"X Logarithmic", "1"}, {"Y Min:", "-3"}},
         "",
         "",
         {1, 10, -3, 10, 1, 0}},
        {"letters", {{"X Max:", "abc"}}, kNotANumber, "X Max:", none},
        {"empty", {{"Y Min:", ""}}, kNotANumber, "Y Min:", none},
        {"decimal comma", {{"Y Max:", "1,5"}}, kNotANumber, "Y Max:", none},
        {"trailing text", {{"X Min:", "3 m"}}, kNotANumber, "X Min:", none},
        {"too large for a double", {{"X Min:", "1e999"}}, kNotANumber, "X Min:", none},
        {"not finite", {{"X Max:", "inf"}}, kNotANumber, "X Max:", none},
        {"not a number at all", {{"Y Max:", "nan"}}, kNotANumber, "Y Max:", none},
        {"first bad field wins", {{"X Max:", "?"}, {"X Min:", "?"}}, kNotANumber, "X Min:", none},
        {"log X, X Min 0", {{"X Logarithmic", "1"}, {"X Min:", "0"}}, kLogZero, "X Min:", none},
        {"log X, X Min -5", {{"X Logarithmic", "1"}, {"X Min:", "-5"}}, kLogZero, "X Min:", none},
        {"log X, X Max 0", {{"X Logarithmic", "1"}, {"X Max:", "0"}}, kLogZero, "X Max:", none},
        {"log Y, Y Min -0.1",
         {{"Y Logarithmic", "1"}, {"Y Min:", "-0.1"}},
         kLogZero,
         "Y Min:",
         none},
        {"log Y, Y Max 0", {{"Y Logarithmic", "1"}, {"Y Max:", "0"}}, kLogZero, "Y Max:", none},
        {"numbers are checked before the log rule",
         {{"X Logarithmic", "1"}, {"X Min:", "0"}, {"Y Max:", "x"}},
         kNotANumber,
         "Y Max:",
         none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransformData mapping;
        const AxisValues before = ValuesOf(mapping);
        TransDlg dialog(mapping);
        dialog.show();
        Fill(dialog, c.entries);

        EXPECT_EQ(PressOk(dialog), c.message);
        EXPECT_EQ(ValuesOf(mapping), before) << "the dialog changed the mapping itself";
        std::unique_ptr<TransformAxisVw> rep = Take<TransformAxisVw>(dialog);
        if (*c.message != '\0') {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(FocusName(dialog), c.focus);
            EXPECT_EQ(rep, nullptr);
            continue;
        }
        EXPECT_FALSE(dialog.isVisible());
        ASSERT_NE(rep, nullptr);
        EXPECT_EQ((AxisValues{rep->xMin, rep->xMax, rep->yMin, rep->yMax, rep->logX, rep->logY}),
                  c.taken);
        EXPECT_EQ(rep->Data(), &mapping);
        EXPECT_EQ(dialog.TakeRepresentation(), nullptr) << "the copy is handed out once";
    }
}

// The fields show the values so that OK without an edit hands back exactly what was there.
TEST(MappingDialogsTest, UneditedValuesComeBackExactly) {
    const std::vector<std::array<double, 4>> rows = {
        {1, 10, 1, 10},
        {0.1, 1.0 / 3, -2.5e-300, 1e300},
        {-1e-7, 123456789.123, 0.1 + 0.2, -7},
        {std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(), 1e-5, 2},
    };
    for (const auto& [a, b, c, d] : rows) {
        SCOPED_TRACE(testing::Message() << a << " " << b << " " << c << " " << d);
        TransformData mapping;
        mapping.SetLimits({a, c}, {b, d});
        TransDlg axis(mapping);
        axis.show();
        EXPECT_EQ(PressOk(axis), "");
        std::unique_ptr<TransformAxisVw> axisRep = Take<TransformAxisVw>(axis);
        ASSERT_NE(axisRep, nullptr);
        EXPECT_EQ((std::array{axisRep->xMin, axisRep->xMax, axisRep->yMin, axisRep->yMax}),
                  (std::array{a, b, c, d}));

        // The pixel mapping shows the origin of node 6 and, in pixel mode, its own scale.
        mapping.SetLimits({c, d}, {c + 1, d + 1});
        mapping.mode = TransformData::kPixelMapping;
        mapping.aspectRatio = a;
        mapping.pointsPerLength = b;
        CImageMapping pixel(mapping);
        pixel.show();
        EXPECT_EQ(PressOk(pixel), "");
        std::unique_ptr<TransformPpiVw> ppiRep = Take<TransformPpiVw>(pixel);
        ASSERT_NE(ppiRep, nullptr);
        EXPECT_EQ((std::array{ppiRep->aspectRatio, ppiRep->pointsPerLength, ppiRep->xOrigin,
                              ppiRep->yOrigin}),
                  (std::array{mapping.aspectRatio, b, c, d}));
    }
}

TEST(PixelMappingDlgTest, OkTakesNumbersAndRefusesAZeroScale) {
    using Values = std::array<double, 4>; // aspect, points per length, x origin, y origin
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        const char* message;
        const char* focus;
        Values taken;
    };
    const Values none{};
    const std::vector<Case> cases = {
        {"a scale",
         {{"Aspect Ratio (w/h):", "2"},
          {"Points Per Length (h):", "10"},
          {"X Origin:", "0"},
          {"Y Origin:", "-4.5"}},
         "",
         "",
         {2, 10, 0, -4.5}},
        {"a negative scale turns the axes; it is taken",
         {{"Points Per Length (h):", "-20"}},
         "",
         "",
         {1, -20, 1, 1}},
        {"a zero aspect ratio is taken", {{"Aspect Ratio (w/h):", "0"}}, "", "", {0, 1, 1, 1}},
        {"points per length 0",
         {{"Points Per Length (h):", "0"}},
         kPplZero,
         "Points Per Length (h):",
         none},
        {"points per length -0",
         {{"Points Per Length (h):", "-0.0"}},
         kPplZero,
         "Points Per Length (h):",
         none},
        {"letters", {{"Aspect Ratio (w/h):", "wide"}}, kNotANumber, "Aspect Ratio (w/h):", none},
        {"empty origin", {{"Y Origin:", ""}}, kNotANumber, "Y Origin:", none},
        {"numbers before the scale rule",
         {{"Points Per Length (h):", "0"}, {"X Origin:", "x"}},
         kNotANumber,
         "X Origin:",
         none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransformData mapping;
        mapping.mode = TransformData::kPixelMapping;
        const AxisValues before = ValuesOf(mapping);
        CImageMapping dialog(mapping);
        dialog.show();
        Fill(dialog, c.entries);

        EXPECT_EQ(PressOk(dialog), c.message);
        EXPECT_EQ(ValuesOf(mapping), before);
        EXPECT_EQ(mapping.pointsPerLength, 1.0);
        std::unique_ptr<TransformPpiVw> rep = Take<TransformPpiVw>(dialog);
        if (*c.message != '\0') {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(FocusName(dialog), c.focus);
            EXPECT_EQ(rep, nullptr);
            continue;
        }
        ASSERT_NE(rep, nullptr);
        EXPECT_EQ((Values{rep->aspectRatio, rep->pointsPerLength, rep->xOrigin, rep->yOrigin}),
                  c.taken);
    }
}

TEST(RegGridDlgTest, AnAxisBoxEnablesItsRow) {
    const std::vector<QString> xRow = {"X Origin", "X Step", "Show X"};
    const std::vector<QString> yRow = {"Y Origin", "Y Step", "Show Y"};
    const auto rowEnabled = [](QDialog& dialog, const std::vector<QString>& names) {
        std::string states;
        for (const QString& name : names) {
            QWidget* control = Control(dialog, name);
            states += control == nullptr ? '?' : control->isEnabled() ? 'e' : '-';
        }
        return states;
    };
    struct Case {
        int snapX, snapY;
        const char* xAtOpen;
        const char* yAtOpen;
    };
    const std::vector<Case> cases = {
        {0, 0, "---", "---"}, {1, 0, "eee", "---"}, {0, 1, "---", "eee"}, {1, 1, "eee", "eee"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "snap " << c.snapX << c.snapY);
        RegGridData grid(nullptr);
        grid.snapX = c.snapX;
        grid.snapY = c.snapY;
        RegGridDlg dialog(grid);
        dialog.show();
        EXPECT_EQ(rowEnabled(dialog, xRow), c.xAtOpen);
        EXPECT_EQ(rowEnabled(dialog, yRow), c.yAtOpen);

        // A click on "X:" turns the X row over and leaves the Y row alone.
        Click(dialog, QStringLiteral("X:"));
        EXPECT_EQ(rowEnabled(dialog, xRow), c.snapX != 0 ? "---" : "eee");
        EXPECT_EQ(rowEnabled(dialog, yRow), c.yAtOpen);
        // So does Space on "Y:".
        QWidget* yBox = Control(dialog, QStringLiteral("Y:"));
        ASSERT_NE(yBox, nullptr);
        SendKey(yBox, Qt::Key_Space, QStringLiteral(" "));
        EXPECT_EQ(rowEnabled(dialog, yRow), c.snapY != 0 ? "---" : "eee");
        EXPECT_EQ(grid.snapX, c.snapX) << "the dialog changed the grid itself";
    }
}

TEST(RegGridDlgTest, OkRefusesAZeroStepOnEitherAxis) {
    struct Settings {
        int snapX, snapY;
        double originX, originY, stepX, stepY;
        int showX, showY;
        bool operator==(const Settings&) const = default;
    };
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        const char* message;
        const char* focus;
        Settings taken;
    };
    const Settings none{};
    // Opened on: X on, origin 0, step 10; Y off, origin 0, step 5; both shown.
    const std::vector<Case> cases = {
        {"as opened", {}, "", "", {1, 0, 0, 0, 10, 5, 1, 1}},
        {"every field",
         {{"Y:", "1"},
          {"X Origin", "1.5"},
          {"X Step", "-2"},
          {"Show X", "0"},
          {"Y Origin", "100"},
          {"Y Step", "0.25"},
          {"X:", "0"}},
         "",
         "",
         {0, 1, 1.5, 100, -2, 0.25, 0, 1}},
        {"zero step on the axis that is on", {{"X Step", "0"}}, kStepZero, "X Step", none},
        {"zero step on the axis that is off",
         {{"Y:", "1"}, {"Y Step", "0.0"}, {"Y:", "0"}},
         kStepZero,
         "Y:",
         none},
        {"minus zero", {{"X Step", "-0"}}, kStepZero, "X Step", none},
        {"both zero: X first",
         {{"X Step", "0"}, {"Y:", "1"}, {"Y Step", "0"}},
         kStepZero,
         "X Step",
         none},
        {"letters in a field that is on", {{"X Origin", "o"}}, kNotANumber, "X Origin", none},
        {"letters in a field that is off",
         {{"Y:", "1"}, {"Y Origin", "o"}, {"Y:", "0"}},
         kNotANumber,
         "Y:",
         none},
        {"numbers before the step rule",
         {{"X Step", "0"}, {"Y:", "1"}, {"Y Step", "-"}},
         kNotANumber,
         "Y Step",
         none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegGridData grid(nullptr);
        grid.snapX = 1;
        grid.stepX = 10;
        grid.stepY = 5;
        RegGridDlg dialog(grid);
        dialog.show();
        Fill(dialog, c.entries);

        EXPECT_EQ(PressOk(dialog), c.message);
        EXPECT_EQ((Settings{grid.snapX, grid.snapY, grid.originX, grid.originY, grid.stepX,
                            grid.stepY, grid.showX, grid.showY}),
                  (Settings{1, 0, 0, 0, 10, 5, 1, 1}))
            << "the dialog changed the grid itself";
        std::unique_ptr<RegGridVw> rep = Take<RegGridVw>(dialog);
        if (*c.message != '\0') {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(FocusName(dialog), c.focus);
            EXPECT_EQ(rep, nullptr);
            continue;
        }
        ASSERT_NE(rep, nullptr);
        EXPECT_EQ((Settings{rep->snapX, rep->snapY, rep->originX, rep->originY, rep->stepX,
                            rep->stepY, rep->showX, rep->showY}),
                  c.taken);
        EXPECT_EQ(rep->Data(), &grid);
    }
}

// A person who only has a keyboard: Tab moves on (selecting a field's text, so typing
// replaces it), Space ticks, Return presses OK, Escape cancels.
TEST(TransDlgTest, WorksFromTheKeyboardAlone) {
    TransformData mapping;
    TransDlg dialog(mapping);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_EQ(FocusName(dialog), "X Min:");
    Press(dialog, Qt::Key_Tab);
    Type(dialog, QStringLiteral("1000"));
    Press(dialog, Qt::Key_Tab);
    EXPECT_EQ(FocusName(dialog), "X Logarithmic");
    Type(dialog, QStringLiteral(" "));
    Press(dialog, Qt::Key_Tab);
    Type(dialog, QStringLiteral("2"));
    Press(dialog, Qt::Key_Tab);
    Type(dialog, QStringLiteral("3e1"));
    Press(dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    std::unique_ptr<TransformAxisVw> rep = Take<TransformAxisVw>(dialog);
    ASSERT_NE(rep, nullptr);
    EXPECT_EQ((AxisValues{rep->xMin, rep->xMax, rep->yMin, rep->yMax, rep->logX, rep->logY}),
              (AxisValues{1, 1000, 2, 30, 1, 0}));

    TransDlg again(mapping);
    again.show();
    QApplication::setActiveWindow(&again);
    Type(again, QStringLiteral("5"));
    Press(again, Qt::Key_Escape);
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(again.TakeRepresentation(), nullptr);
}

} // namespace
