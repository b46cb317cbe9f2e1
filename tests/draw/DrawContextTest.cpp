#include "draw/DrawContext.h"

#include "RasterDevice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr Colour kGrey = MakeColour(128, 128, 128);
constexpr Colour kRed = MakeColour(255, 0, 0);

std::vector<Colour> Pixels(const RasterDevice& device) {
    std::vector<Colour> pixels;
    for (int y = 0; y < device.height(); ++y) {
        for (int x = 0; x < device.width(); ++x) {
            pixels.push_back(device.At(x, y));
        }
    }
    return pixels;
}

TEST(DrawContext, PlusMarkerArmsCoverFivePixels) {
    RasterDevice device(13, 13);
    DrawContext context(&device, 1.0);
    context.SelectPen(Pen{kBlack, 0, PenStyle::Solid});
    context.DrawMarker(6.0, 6.0);
    EXPECT_EQ(device.Picture(), ".............\n"
                                "......#......\n"
                                "......#......\n"
                                "......#......\n"
                                "......#......\n"
                                "......#......\n"
                                ".###########.\n"
                                "......#......\n"
                                "......#......\n"
                                "......#......\n"
                                "......#......\n"
                                "......#......\n"
                                ".............\n");
}

TEST(DrawContext, MarkersSitAtTheRoundedScaledPosition) {
    // (2.7, 3.1) * 2.5 + 0.5 = (7.25, 8.25): the centre is (7, 8).
    RasterDevice device(15, 15);
    DrawContext context(&device, 2.5);
    context.SelectPen(Pen{kBlack, 0, PenStyle::Solid});
    context.DrawMarker(2.7, 3.1);
    EXPECT_EQ(device.Picture(), "...............\n"
                                "...............\n"
                                "...............\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                "..###########..\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                ".......#.......\n"
                                "...............\n");

    struct Case {
        double scale;
        double pixel;
        int logical;
    };
    // A half rounds up; truncation goes towards zero.
    const Case cases[] = {{2.5, 1.0, 3},  {2.5, 2.7, 7},  {2.5, 3.1, 8},  {0.5, 3.0, 2},
                          {1.0, 0.49, 0}, {1.0, -0.7, 0}, {2.5, -1.0, -2}};
    for (const Case& c : cases) {
        EXPECT_EQ(DrawContext(&device, c.scale).ToLogical(c.pixel), c.logical)
            << c.pixel << " at scale " << c.scale;
    }
}

TEST(DrawContext, DashedPlusAlternatesColourAndWhite) {
    RasterDevice device(13, 13, kGrey);
    DrawContext context(&device, 1.0);
    context.SelectPen(Pen{kRed, 0, PenStyle::Solid});
    context.UseOtherSetMarker();
    context.DrawMarker(6.0, 6.0);
    EXPECT_EQ(device.Picture(), ".............\n"
                                "......o......\n"
                                "......W......\n"
                                "......o......\n"
                                "......W......\n"
                                "......o......\n"
                                ".oWoWoooWoWo.\n"
                                "......o......\n"
                                "......W......\n"
                                "......o......\n"
                                "......W......\n"
                                "......o......\n"
                                ".............\n");
    EXPECT_EQ(device.At(6, 6), kRed);
    EXPECT_EQ(device.At(11, 6), kRed);

    RasterDevice plain(13, 13);
    DrawContext again(&plain, 1.0);
    again.SelectPen(Pen{kBlack, 0, PenStyle::Solid});
    again.UseOtherSetMarker();
    again.UseCurrentSetMarker();
    again.DrawMarker(6.0, 6.0);
    EXPECT_EQ(plain.At(6, 1), kBlack);
    EXPECT_EQ(plain.At(6, 2), kBlack); // the solid plus, not the dashed one
}

TEST(DrawContext, MarchingAntsRuns) {
    struct Step {
        bool move;
        int x;
        int y;
    };
    struct Case {
        const char* name;
        std::uint8_t pattern;
        std::vector<Step> steps;
        std::string picture;
    };
    const Case cases[] = {
        {"rightwards, both ends drawn",
         0,
         {{true, 0, 1}, {false, 5, 1}},
         "......\n"
         "WWW###\n"
         "......\n"},
        {"leftwards",
         0,
         {{true, 5, 1}, {false, 1, 1}},
         "......\n"
         ".##WWW\n"
         "......\n"},
        {"a slanted target gives a horizontal run at the target's y",
         0,
         {{true, 1, 0}, {false, 4, 2}},
         "......\n"
         "......\n"
         ".WWW#.\n"},
        {"upwards, from a pattern of 0x20",
         0x20,
         {{true, 2, 2}, {false, 2, 0}},
         "..W...\n"
         "..#...\n"
         "..#...\n"},
        {"a single point",
         0,
         {{true, 3, 1}, {false, 3, 1}},
         "......\n"
         "...W..\n"
         "......\n"},
        {"the pattern runs on and the recorded point stays",
         0,
         {{true, 0, 0}, {false, 5, 0}, {false, 5, 2}},
         "WWW###\n"
         "......\n"
         "##WWW#\n"},
    };
    for (const Case& c : cases) {
        RasterDevice device(6, 3, kGrey);
        DrawContext context(&device, 1.0);
        context.SelectAnts(c.pattern);
        EXPECT_EQ(context.mode, DrawContext::kMarchingAnts);
        for (const Step& step : c.steps) {
            if (step.move) {
                context.MoveTo(step.x, step.y);
            } else {
                context.LineTo(step.x, step.y);
            }
        }
        EXPECT_EQ(device.Picture(), c.picture) << c.name;
    }

    // A vertical run of ten: three white, five black, then white again.
    RasterDevice device(3, 10, kGrey);
    DrawContext context(&device, 1.0);
    context.SelectAnts(0);
    context.MoveTo(1, 0);
    context.LineTo(1, 9);
    std::string column;
    for (int y = 0; y < 10; ++y) {
        column += device.At(1, y) == kWhite ? 'W' : device.At(1, y) == kBlack ? '#' : '?';
    }
    EXPECT_EQ(column, "WWW#####WW");
    EXPECT_EQ(context.antsPattern, 2);
}

TEST(DrawContext, AntsPatternCyclesThroughEightBits) {
    struct Case {
        std::uint8_t before;
        std::uint8_t after;
    };
    const Case cases[] = {{0x00, 0x01}, {0x01, 0x02}, {0x40, 0x80},
                          {0x80, 0x01}, {0x03, 0x06}, {0xC0, 0x80}};
    for (const Case& c : cases) {
        std::uint8_t pattern = c.before;
        DrawContext::AdvanceAnts(pattern);
        EXPECT_EQ(pattern, c.after) << int{c.before};
    }
    std::string cycle;
    std::uint8_t pattern = 0;
    for (int i = 0; i < 16; ++i) {
        DrawContext::AdvanceAnts(pattern);
        cycle += DrawContext::AntsColour(pattern) == kWhite ? 'W' : '#';
    }
    EXPECT_EQ(cycle, "WWW#####WWW#####");
}

TEST(DrawContext, RestorePenPutsTheDevicesStateBack) {
    using Action = std::function<void(DrawContext&)>;
    const Pen red{kRed, 2, PenStyle::Solid};
    const Pen dotted{kBlack, 1, PenStyle::Dotted};
    const Pen thin{kBlack, 1, PenStyle::Solid};
    const Action pen = [&red](DrawContext& c) { c.SelectPen(red); };
    const Action feedback = [](DrawContext& c) { c.SelectFeedbackPen(PenStyle::Dotted); };
    const Action ants = [](DrawContext& c) { c.SelectAnts(0x10); };
    constexpr RasterOp kCopy = RasterOp::Copy;
    constexpr RasterOp kNotXor = RasterOp::NotXorPen;
    struct Case {
        const char* name;
        std::vector<Action> actions;
        int mode;
        Pen devicePen;
        RasterOp deviceOp;
    };
    const Case cases[] = {
        {"pen", {pen}, DrawContext::kNormalPen, red, kCopy},
        {"feedback", {feedback}, DrawContext::kFeedbackPen, dotted, kNotXor},
        {"ants", {ants}, DrawContext::kMarchingAnts, thin, kCopy},
        {"pen then feedback", {pen, feedback}, DrawContext::kFeedbackPen, dotted, kNotXor},
        {"feedback, pen, ants", {feedback, pen, ants}, DrawContext::kMarchingAnts, thin, kCopy},
    };
    const Pen original{MakeColour(0, 200, 0), 3, PenStyle::Dotted};
    for (const Case& c : cases) {
        RasterDevice device(4, 4);
        device.SelectPen(original);
        device.SetRasterOp(RasterOp::NotXorPen);
        DrawContext context(&device, 1.0);
        for (int round = 0; round < 2; ++round) {
            for (const Action& action : c.actions) {
                action(context);
            }
            EXPECT_EQ(context.mode, c.mode) << c.name;
            EXPECT_EQ(device.pen(), c.devicePen) << c.name;
            EXPECT_EQ(device.rasterOp(), c.deviceOp) << c.name;
            context.RestorePen();
            EXPECT_EQ(context.mode, DrawContext::kNothingSelected) << c.name;
            EXPECT_EQ(device.pen(), original) << c.name << ", round " << round;
            EXPECT_EQ(device.rasterOp(), RasterOp::NotXorPen) << c.name << ", round " << round;
        }
    }

    // With nothing selected, restoring leaves a pen chosen by someone else in place.
    RasterDevice device(4, 4);
    DrawContext context(&device, 1.0);
    device.SelectPen(original);
    context.RestorePen();
    EXPECT_EQ(device.pen(), original);
}

TEST(DrawContext, AContextWithoutADeviceDrawsNothing) {
    DrawContext context(nullptr, 2.0);
    EXPECT_EQ(context.mode, DrawContext::kNoDevice);
    context.SelectPen(Pen{kRed, 1, PenStyle::Solid});
    context.SelectFeedbackPen(PenStyle::Solid);
    context.SelectAnts(0);
    EXPECT_EQ(context.mode, DrawContext::kNoDevice);
    context.MoveTo(1, 1);
    context.LineTo(5, 5);
    context.DrawMarker(1.0, 1.0);
    context.UseOtherSetMarker();
    context.DrawMarker(1.0, 1.0);
    context.RestorePen();
    EXPECT_EQ(context.mode, DrawContext::kNoDevice);
}

TEST(DrawContext, ACopyKeepsThePenOnlyWhenOneIsSelected) {
    RasterDevice device(4, 4);
    const Pen original{MakeColour(0, 0, 90), 2, PenStyle::Dotted};
    device.SelectPen(original);
    DrawContext context(&device, 1.0);
    context.pen = Pen{kRed, 4, PenStyle::Dotted}; // a pen object that is not selected

    DrawContext idle(context);
    EXPECT_EQ(idle.pen, Pen{});
    EXPECT_EQ(idle.mode, DrawContext::kNothingSelected);

    const Pen selected{kRed, 2, PenStyle::Solid};
    context.SelectPen(selected);
    DrawContext drawing(context);
    DrawContext assigned(&device, 3.0);
    assigned = context;
    for (const DrawContext* copy : {&drawing, &assigned}) {
        EXPECT_EQ(copy->pen, selected);
        EXPECT_EQ(copy->mode, DrawContext::kNormalPen);
        EXPECT_EQ(copy->colour, kRed);
        EXPECT_EQ(copy->scale, 1.0);
    }
    // A kept copy can still give the device its earlier pen back.
    drawing.RestorePen();
    EXPECT_EQ(device.pen(), original);
}

TEST(DrawContext, FeedbackDrawnTwiceRestoresTheSurface) {
    RasterDevice device(16, 16);
    device.FillRect(0, 0, 8, 16, kBlack);
    device.FillRect(8, 4, 16, 12, kRed);
    device.FillRect(3, 3, 5, 5, MakeColour(12, 34, 56));
    const std::vector<Colour> before = Pixels(device);
    const PenStyle styles[] = {PenStyle::Solid, PenStyle::Dotted};
    for (PenStyle style : styles) {
        DrawContext context(&device, 1.5);
        context.SelectFeedbackPen(style);
        const auto draw = [&context] {
            context.DrawMarker(5.0, 5.0);
            context.MoveTo(0, 15);
            context.LineTo(15, 1);
            context.LineTo(2, 2);
        };
        draw();
        EXPECT_NE(Pixels(device), before);
        draw();
        EXPECT_EQ(Pixels(device), before);
        context.RestorePen();
    }

    // Both arms invert the centre, so the centre of a feedback plus shows the surface.
    RasterDevice white(5, 5);
    DrawContext context(&white, 1.0);
    context.SelectFeedbackPen(PenStyle::Solid);
    context.DrawMarker(2.0, 2.0);
    EXPECT_EQ(white.Picture(), "..#..\n"
                               "..#..\n"
                               "##.##\n"
                               "..#..\n"
                               "..#..\n");
}

TEST(DrawContext, PositionsFarOutsideAnyDeviceStayDefined) {
    const double big = std::numeric_limits<double>::max();
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double values[] = {1e300, -1e300, big, -big, inf, -inf, nan, 3e9, -3e9};
    RasterDevice device(8, 8, kGrey);
    DrawContext context(&device, 4.0);
    context.SelectPen(Pen{kRed, 0, PenStyle::Solid});
    for (double v : values) {
        context.UseCurrentSetMarker();
        context.DrawMarker(v, 3.0);
        context.DrawMarker(3.0, v);
        context.UseOtherSetMarker();
        context.DrawMarker(v, v);
        if (v > 0) {
            EXPECT_GT(context.ToLogical(v), context.ToLogical(1e6)) << v;
        } else if (v < 0) {
            EXPECT_LT(context.ToLogical(v), context.ToLogical(-1e6)) << v;
        }
    }
    std::string untouched;
    for (int row = 0; row < 8; ++row) {
        untouched += "........\n";
    }
    EXPECT_EQ(device.Picture(), untouched);
}

} // namespace
