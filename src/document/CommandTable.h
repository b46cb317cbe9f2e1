#pragma once

#include "document/CommandIds.h"

#include <span>

class CPlumeDoc;

// Which object carries out a command. Commands are routed as a multi-document program
// routes them: the active view, its document, the main window, the application. None: a
// command that has a menu item or button but no handler, and so is always disabled.
enum class CommandHandler { None, Application, MainWindow, View, Document };

// The menu a command is listed in; None for commands that only have a toolbar button or
// are posted by the program itself.
enum class CommandMenu { None, File, Edit, View, Digitize, Image, Help };

// What is asked to enable a command or put a tick beside it. The document answers the
// conditions up to GridSnaps; the view, the main window and the application answer the
// rest, and the view passes the document's own on to its document.
enum class CommandCondition {
    Always,
    Never,
    // the document's
    HasImage,
    RegionPlaced, // the mapping region has pixel nodes
    HasItems,     // some data set holds an item
    CurrentSetHasItems,
    CanUndo,
    CanRedo,
    ClipboardHasBitmap,
    SortingOn,
    GridSnaps, // snapping in X or Y
    // the view's
    DisplayImageExists,
    HasNextSavedView,
    HasPreviousSavedView,
    ToolActive,      // the tool this command selects is the active one
    ZoomTypeMatches, // the zoom rate this command sets is the view's
    DrawDithered,
    ActualPixels, // the scale is 1
    // the main window's
    BarVisible, // the bar whose control id is the command id
    AttributesBarVisible,
    MagnifierVisible,
    DocumentViewActive,
    ScannerAvailable, // a scanner source manager can be loaded
};

// True for the conditions a document can answer by itself.
bool IsDocumentCondition(CommandCondition condition);

// One command, written once: the menus, the toolbars, the status-bar prompts, the enabling
// and the routing are all built from these rows.
struct CommandRow {
    int id;
    CommandMenu menu;
    bool separatorBefore; // in its menu
    // The menu text: "&" before the mnemonic, a tab before the shortcut. A command without
    // a menu item has the text of its button's tool tip.
    const char* text;
    const char* prompt; // the status-bar text while the item or button is under the pointer
    const char* icon;   // a theme icon name; "" for none
    CommandHandler handler;
    CommandCondition enabled;
    CommandCondition checked; // Never: never ticked
    // A document command that needs no window; false when it did nothing.
    bool (*run)(CPlumeDoc& document);
    // A document command whose dialog the windows open (Axis Mapping, Options, ...).
    bool opensDialog;
};

// Every command, in menu order within each menu.
std::span<const CommandRow> CommandTable();
// The row of a command id; null for an id that is not a command.
const CommandRow* FindCommand(int id);
