#include "document/CommandTable.h"
#include "FakePlatform.h"
#include "document/CPlumeDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

// The rows the menus, toolbars, enabling and routing are built from hang together: one row
// per id, a handler or an always-disabled row, document rows that either run or open a
// dialog, conditions asked of an object that can answer them, and texts for every row.
TEST(CommandTable, EveryRowHasOneIdAHandlerAndAnEnablingRule) {
    std::set<int> ids;
    for (const CommandRow& row : CommandTable()) {
        const std::string id = std::to_string(row.id);
        EXPECT_TRUE(ids.insert(row.id).second) << "id used twice: " << id;
        EXPECT_EQ(FindCommand(row.id), &row) << id;
        EXPECT_FALSE(std::string(row.text).empty()) << id;
        EXPECT_FALSE(std::string(row.prompt).empty()) << id;
        if (row.handler == CommandHandler::None) {
            EXPECT_EQ(row.enabled, CommandCondition::Never) << id << ": unhandled but enabled";
            EXPECT_EQ(row.checked, CommandCondition::Never) << id;
        } else {
            EXPECT_NE(row.enabled, CommandCondition::Never) << id << ": handled but never enabled";
        }
        if (row.handler == CommandHandler::Document) {
            EXPECT_NE(row.run == nullptr, !row.opensDialog)
                << id << ": a document command either runs or opens a dialog";
            EXPECT_TRUE(IsDocumentCondition(row.enabled)) << id;
            EXPECT_TRUE(IsDocumentCondition(row.checked)) << id;
        } else {
            EXPECT_EQ(row.run, nullptr) << id;
            EXPECT_FALSE(row.opensDialog) << id;
        }
        const std::string text = row.text;
        const std::size_t tab = text.find('\t');
        if (tab != std::string::npos) {
            EXPECT_GT(tab, 0u) << id;
            EXPECT_LT(tab + 1, text.size()) << id << ": a tab and no shortcut";
        }
        EXPECT_LE(std::count(text.begin(), text.end(), '&'), 1) << id;
    }
    EXPECT_EQ(FindCommand(0), nullptr);
    EXPECT_EQ(FindCommand(12345), nullptr);
}

// Shortcuts are unique, or one key would run two commands.
TEST(CommandTable, NoShortcutIsGivenTwice) {
    std::set<std::string> shortcuts;
    for (const CommandRow& row : CommandTable()) {
        const std::string text = row.text;
        const std::size_t tab = text.find('\t');
        if (tab != std::string::npos) {
            EXPECT_TRUE(shortcuts.insert(text.substr(tab + 1)).second) << text;
        }
    }
}

// The document answers and runs only its own rows: a command of a window, an unhandled one
// or an unknown id is disabled and does nothing, and a dialog command is left to its
// window even when enabled.
TEST(CommandTable, TheDocumentRunsOnlyItsOwnRowsWithoutADialog) {
    FakePlatform platform;
    CPlumeDoc doc(platform.Services());
    ASSERT_TRUE(doc.NewDocument());
    struct Case {
        int id;
        bool enabled;
        bool runs;
    };
    const Case cases[] = {
        {kZoomIn, false, false},     // the view's
        {kAttributes, false, false}, // the main window's
        {kFileOpen, false, false},   // the application's
        {kCut, false, false},        // nobody's
        {4711, false, false},        // not a command
        {kNewDataSet, true, false},  // opens its dialog
        {kOptions, true, false},     // opens its dialog
        {kSortData, false, false},   // nothing to sort
        {kUndo, false, false},       // nothing to undo
    };
    for (const Case& c : cases) {
        EXPECT_EQ(doc.QueryCommand(c.id).enabled, c.enabled) << c.id;
        EXPECT_FALSE(doc.QueryCommand(c.id).checked) << c.id;
        EXPECT_EQ(doc.RunCommand(c.id), c.runs) << c.id;
    }
    EXPECT_EQ(doc.Database()->HistoryCount(), 0);
}

} // namespace
