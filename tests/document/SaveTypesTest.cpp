#include "document/SaveTypes.h"
#include "document/SaveDialogState.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SaveTypes, TheExtensionMustStartAtTheLastDot) {
    struct Case {
        const char* name;
        int type; // 0: no entry of the table
        const char* stripped;
        const char* separator;
    };
    const Case cases[] = {
        {"a.txt.csv", 3, "a.txt", ", "},
        {"x.csv.csv", 0, "x.csv.csv", " "}, // the first ".csv" is not at the last dot
        {"a.txtx", 2, "a", " "},            // the extension need not end the name
        {"DATA.CSV", 3, "DATA", ", "},
        {"Plot.Plm", 1, "Plot", " "},
        {"scan.bmp", 4, "scan", " "},
        {"scan.TIF", 0, "scan", " "}, // stripped, but not a save type
        {"data.dat", 0, "data.dat", " "},
        {"noext", 0, "noext", " "},
        {"", 0, "", " "},
        {".csv", 3, "", ", "},
        {"dir.csv/file.txt", 2, "dir.csv/file", " "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SaveTypes::Match(c.name), c.type) << c.name;
        EXPECT_EQ(SaveTypes::StripExtension(c.name), c.stripped) << c.name;
        EXPECT_STREQ(SaveTypes::SeparatorFor(c.name), c.separator) << c.name;
    }
}

TEST(SaveDialogState, FiltersRenameEnableAndDecideTheChosenName) {
    // The check boxes follow the filter; "Save Bitmap Copy" also needs an image file.
    for (bool imagePath : {false, true}) {
        SaveDialogState state(3, "x.csv", true, false, imagePath);
        const bool sortEnabled[] = {false, true, true, false};
        const bool copyEnabled[] = {imagePath, false, false, false};
        for (int filter = 1; filter <= 4; ++filter) {
            state.SelectFilter(filter);
            EXPECT_EQ(state.SortEnabled(), sortEnabled[filter - 1]) << filter;
            EXPECT_EQ(state.SaveCopyEnabled(), copyEnabled[filter - 1]) << filter << imagePath;
        }
    }

    struct Case {
        const char* name;
        int selectFilter;  // 0: none
        const char* typed; // nullptr: none
        const char* shown;
        const char* chosen;
    };
    const Case cases[] = {
        {"Untitled.csv", 1, nullptr, "Untitled.plm", "Untitled.plm"},
        {"data", 2, nullptr, "data.txt", "data.txt"},
        {"a.b.c", 4, nullptr, "a.b.bmp", "a.b.bmp"}, // a filter change cuts any extension
        {"x.csv", 0, "data.csv", "data.csv", "data.csv"},
        {"x.txt", 0, "data.csv", "data.csv", "data.txt"}, // the filter decides the form
        {"x.csv", 0, "data.dat", "data.dat", "data.dat.csv"},
        {"x.plm", 0, "scan.tif", "scan.tif", "scan.plm"},
        {"x.csv", 0, "notes.txt.bak", "notes.txt.bak", "notes.txt.bak.csv"},
    };
    for (const Case& c : cases) {
        const int initial = c.selectFilter != 0 ? 3 : SaveTypes::Match(c.name);
        SaveDialogState state(initial, c.name, false, false, false);
        if (c.selectFilter != 0) {
            state.SelectFilter(c.selectFilter);
        }
        if (c.typed != nullptr) {
            state.SetName(c.typed);
        }
        EXPECT_EQ(state.Name(), c.shown) << c.name;
        EXPECT_EQ(state.ChosenName(), c.chosen) << c.name;
    }
}

} // namespace
