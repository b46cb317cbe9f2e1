#pragma once

#include <functional>

class CPlumeDoc;
class CPreferences;
class QDialog;
class QWidget;

// The one place that runs a document command's dialog and turns its OK into the change:
// the dialogs only edit a copy, and these functions hand the copy to a task on the
// document's history and then let the document commit it (CommitTask), so that OK is one
// undoable step and the views redraw.
//
// Each function first asks the document whether the command is enabled, and does nothing
// when it is not. Each shows its dialog modally; a `drive`, when given, is called once the
// dialog is up, inside its modal loop, and may fill fields and press buttons as a person
// would. A dialog the drive leaves open is then cancelled, so a drive never leaves a modal
// loop waiting for a person.
using DialogDrive = std::function<void(QDialog&)>;

// Axis Mapping and Pixel Mapping: a mapping task. True when OK performed it.
bool RunAxisMapping(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive = {});
bool RunPixelMapping(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive = {});
// Before points are collected: a mapping whose limits were never assigned (a stored
// document can bring one) is confirmed through the Axis Mapping dialog. True when the
// mapping's limits are assigned afterwards.
bool ConfirmMapping(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive = {});
// Grid Snap: a grid task. True when OK performed it.
bool RunGridSnap(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive = {});
// New Data Set, proposing "Line": a new set of the name entered. True when OK made it.
bool RunNewDataSet(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive = {});
// Image Information. True when it was shown.
bool RunImageInfo(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive = {});
// Options: on OK the choices are copied back into the preferences, the document's database
// takes them, and the preferences tell their observers. True on OK.
bool RunOptions(QWidget* parent, CPlumeDoc& doc, CPreferences& preferences,
                const DialogDrive& drive = {});

// True for the document commands whose dialog the functions above run.
bool IsDocumentDialog(int commandId);
// Runs the dialog of one of those commands; false for any other command, and as the
// function of the command gives.
bool RunDocumentDialog(int commandId, QWidget* parent, CPlumeDoc& doc, CPreferences& preferences,
                       const DialogDrive& drive = {});
