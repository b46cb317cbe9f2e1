#include "core/NumberText.h"
#include "database/DbAttPrimRep.h"
#include "database/DbPointRep.h"
#include "database/DbSetMgr.h"
#include "database/ExportOptions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

SmartPtr<DbPrimRep> Point(double x, double y) {
    auto* point = new DbPointRep(DPoint{x, y});
    point->graph = DPoint{x, y};
    return SmartPtr<DbPrimRep>(point);
}

SmartPtr<DbPrimRep> SetAttribute(const std::string& name, const std::string& value) {
    return SmartPtr<DbPrimRep>(new DbAttPrimRep(SmartPtr<DbAttRep>(new DbAttRep(name, value, 1))));
}

SmartPtr<DbAttRep> Attribute(const std::string& name, const std::string& value, int active = 1) {
    return SmartPtr<DbAttRep>(new DbAttRep(name, value, active));
}

void Give(const SmartPtr<DbPrimRep>& primitive, std::initializer_list<SmartPtr<DbAttRep>> list) {
    SmartPtr<DbAttSetRep> attributes;
    for (const auto& attribute : list) {
        attributes->Append(attribute);
    }
    primitive->SetAttributes(attributes);
}

std::string Export(const DbSetMgr& manager, bool sort, const char* separator = " ") {
    std::string text;
    ExportOptions options;
    options.sort = sort ? 1 : 0;
    manager.ExportAllSets(text, separator, options);
    return text;
}

TEST(TextForm, WorkedLayoutWithSetAttributeAndPointAttributes) {
    DbSetMgr manager;
    manager.NewSet("Line");
    SmartPtr<DbPrimRep> second = Point(2.5, 7);
    SmartPtr<DbPrimRep> first = Point(1, -3e-5);
    Give(second, {Attribute("b", "b2"), Attribute("A", "a2")});
    Give(first, {Attribute("A", "a1"), Attribute("b", "b1")});
    manager.GetSet(0)->Append(second);
    manager.GetSet(0)->Append(SetAttribute("Run", "7"));
    manager.GetSet(0)->Append(first);
    EXPECT_EQ(Export(manager, true, ", "), "Line\n"
                                           "\n"
                                           "Run, 7\n"
                                           "\n"
                                           "X, Y, A, b\n"
                                           "1, -3e-05, a1, b1\n"
                                           "2.5, 7, a2, b2\n"
                                           "\n"
                                           "\n");
}

TEST(TextForm, EmptySetsPlaceholdersAndTheCurrentSetAlone) {
    DbSetMgr manager;
    manager.NewSet("Empty");
    manager.NewSet("Gone");
    manager.NewSet("Points");
    manager.GetSet(2)->Append(Point(1, 2));
    auto memento = manager.DeleteSet(1);
    EXPECT_EQ(Export(manager, false), "Empty\n\n"
                                      "\n\n"
                                      "Points\nX Y\n1 2\n\n\n");
    std::string current;
    manager.ExportCurrentSet(current, "\t", ExportOptions{});
    EXPECT_EQ(current, "Points\nX\tY\n1\t2\n\n"); // no closing line feed of its own
}

TEST(TextForm, AttributeColumnsStopAtTheHighestActiveColumn) {
    DbSetMgr manager;
    manager.NewSet("Line");
    SmartPtr<DbPrimRep> plain = Point(1, 1);
    SmartPtr<DbPrimRep> onlyC = Point(2, 2);
    SmartPtr<DbPrimRep> inactiveC = Point(3, 3);
    SmartPtr<DbPrimRep> caseTwins = Point(4, 4);
    Give(onlyC, {Attribute("c", "C")});
    Give(inactiveC, {Attribute("a", "A"), Attribute("c", "C", 0)});
    Give(caseTwins, {Attribute("B", "upper"), Attribute("b", "lower")});
    for (const auto& p : {plain, onlyC, inactiveC, caseTwins}) {
        manager.GetSet(0)->Append(p);
    }
    const std::string text = Export(manager, true, ",");
    // Columns: a, then B and b in either order, then c.
    const bool upperFirst = text.find("X,Y,a,B,b,c\n") != std::string::npos;
    EXPECT_TRUE(upperFirst || text.find("X,Y,a,b,B,c\n") != std::string::npos) << text;
    EXPECT_NE(text.find("\n1,1\n"), std::string::npos) << text;      // no attributes, no separators
    EXPECT_NE(text.find("\n2,2,,,,C\n"), std::string::npos) << text; // missing values stay empty
    EXPECT_NE(text.find("\n3,3,A\n"), std::string::npos) << text;    // inactive c bounds nothing
    EXPECT_NE(text.find(upperFirst ? "\n4,4,,upper,lower\n" : "\n4,4,,lower,upper\n"),
              std::string::npos)
        << text;
}

TEST(TextForm, CombSortPassStructureFixesTheOrderOfEqualItems) {
    struct Case {
        const char* what;
        bool sort;
        std::vector<double> xs; // NaN marks a set attribute, named by its position
        std::string rows;
    };
    const double A = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        // n = 3: one pass with gap 2 exchanges the attribute with the first point, which
        // puts the two points in reverse order; the gap-1 pass finds nothing to exchange.
        {"unsorted points cross over", false, {1, 2, A}, "a2 v\n|2 2\n1 1\n"},
        {"unsorted attribute in the middle", false, {1, A, 2}, "a1 v\n|1 1\n2 2\n"},
        {"sorted ascending", true, {3, 1, 2, 1.5}, "|1 1\n1.5 1.5\n2 2\n3 3\n"},
        {"unsorted keeps points", false, {3, 1, 2}, "|3 3\n1 1\n2 2\n"},
    };
    for (const Case& c : cases) {
        DbSetMgr manager;
        manager.NewSet("S");
        for (std::size_t i = 0; i < c.xs.size(); ++i) {
            if (std::isnan(c.xs[i])) {
                manager.GetSet(0)->Append(SetAttribute("a" + std::to_string(i), "v"));
            } else {
                manager.GetSet(0)->Append(Point(c.xs[i], c.xs[i]));
            }
        }
        std::string rows;
        std::string text = Export(manager, c.sort);
        // Keep the rows only: drop headings and empty lines, mark where the point run starts.
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            const std::string line = text.substr(start, end - start);
            start = end + 1;
            if (line == "X Y") {
                rows += "|";
            } else if (!line.empty() && line != "S") {
                rows += line + "\n";
            }
        }
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

TEST(TextForm, SortingTerminatesOnKeysThatAreNotNumbers) {
    DbSetMgr manager;
    manager.NewSet("S");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double x : {3.0, nan, 1.0, nan, 2.0}) {
        manager.GetSet(0)->Append(Point(x, 0));
    }
    EXPECT_EQ(Export(manager, true), "S\nX Y\n1 0\n2 0\n3 0\nnan 0\nnan 0\n\n\n");
}

TEST(NumberText, WritesTheCLocaleGeneralFormatInAnyLocale) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {2.5, "2.5"},
        {100, "100"},
        {123456, "123456"},
        {1e6, "1e+06"},
        {1234567, "1.23457e+06"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {-1.5e-7, "-1.5e-07"},
        {1.0 / 3, "0.333333"},
        {31.622776601683793, "31.6228"},
        {1e100, "1e+100"},
        {-2, "-2"},
    };
    // A process switched to a German locale would write "2,5" with printf.
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing; scripts/setup-deps generates it";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%g", 2.5);
    EXPECT_STREQ(probe, "2,5"); // the locale really is in effect
    for (const Case& c : cases) {
        std::string text;
        AppendGeneral(text, c.value);
        EXPECT_EQ(text, c.text);
    }
    DbSetMgr manager;
    manager.NewSet("L");
    manager.GetSet(0)->Append(Point(1.5, -0.25));
    EXPECT_EQ(Export(manager, false, ", "), "L\nX, Y\n1.5, -0.25\n\n\n");
    std::setlocale(LC_ALL, "C");
}

} // namespace
