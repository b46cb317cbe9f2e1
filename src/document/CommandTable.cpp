#include "document/CommandTable.h"

#include "document/CPlumeDoc.h"

#include <algorithm>

bool IsDocumentCondition(CommandCondition condition) {
    return condition <= CommandCondition::GridSnaps;
}

namespace {

using H = CommandHandler;
using M = CommandMenu;
using C = CommandCondition;

// One line a command, and one row a command below: clang-format would break them up.
// clang-format off
bool Save(CPlumeDoc& d) { return d.SaveWithPrompt(d.Path(), true); }
bool SaveAs(CPlumeDoc& d) { return d.SaveWithPrompt(std::string(), true); }
bool Undo(CPlumeDoc& d) { return d.Undo(); }
bool Redo(CPlumeDoc& d) { return d.Redo(); }
bool Copy(CPlumeDoc& d) { return d.CopyToClipboard(); }
bool Paste(CPlumeDoc& d) { return d.PasteFromClipboard(); }
bool ClearCurrentSet(CPlumeDoc& d) { return d.ClearCurrentSet(); }
bool DeleteCurrentSet(CPlumeDoc& d) { return d.DeleteCurrentSet(); }
bool DeleteAllData(CPlumeDoc& d) { return d.DeleteAllData(); }
bool SortData(CPlumeDoc& d) { return d.ToggleSortData(); }
bool FullSized(CPlumeDoc& d) { return d.DefineMappingFullSized(); }
bool FlipHorizontal(CPlumeDoc& d) { return d.FlipImage(true); }
bool FlipVertical(CPlumeDoc& d) { return d.FlipImage(false); }
bool Rotate90(CPlumeDoc& d) { return d.RotateImage(90); }
bool Rotate270(CPlumeDoc& d) { return d.RotateImage(270); }
bool Rotate180(CPlumeDoc& d) { return d.RotateImage(180); }

// id, menu, separator before, text, prompt, icon, handler, enabled, checked, run, dialog
const CommandRow kRows[] = {
    // File
    {kFileNew, M::File, false, "&New\tCtrl+N", "Create a new document", "document-new",
     H::Application, C::Always, C::Never, nullptr, false},
    {kFileOpen, M::File, false, "&Open...\tCtrl+O", "Open an image or a Tracery document",
     "document-open", H::Application, C::Always, C::Never, nullptr, false},
    {kFileClose, M::File, false, "&Close", "Close the active document", "document-close",
     H::MainWindow, C::DocumentViewActive, C::Never, nullptr, false},
    {kFileSave, M::File, true, "&Save\tCtrl+S", "Save the active document", "document-save",
     H::Document, C::Always, C::Never, &Save, false},
    {kFileSaveAs, M::File, false, "Save &As...", "Save the active document with a new name",
     "document-save-as", H::Document, C::Always, C::Never, &SaveAs, false},
    {kScannerSelectSource, M::File, true, "Scanner Select &Source...",
     "Choose the scanner or camera to acquire from", "", H::MainWindow, C::ScannerAvailable,
     C::Never, nullptr, false},
    {kScannerAcquire, M::File, false, "Scanner &Acquire...",
     "Acquire an image from the scanner or camera", "scanner", H::MainWindow,
     C::ScannerAvailable, C::Never, nullptr, false},
    {kPrint, M::File, true, "&Print...\tCtrl+P", "Print the active view", "document-print",
     H::View, C::Always, C::Never, nullptr, false},
    {kPrintPreview, M::File, false, "Print Pre&view", "Show the pages as they will be printed",
     "document-print-preview", H::View, C::Always, C::Never, nullptr, false},
    {kPrintSetup, M::File, false, "P&rint Setup...", "Choose the printer and its options",
     "document-page-setup", H::Application, C::Always, C::Never, nullptr, false},
    {kPrintDirect, M::None, false, "Print", "Print the active view without asking", "",
     H::View, C::Always, C::Never, nullptr, false},
    {kAppExit, M::File, true, "E&xit", "Quit Tracery; asks to save modified documents",
     "application-exit", H::Application, C::Always, C::Never, nullptr, false},
    {kScannerClose, M::None, false, "Close Scanner", "Close the scanner after an acquisition",
     "", H::MainWindow, C::Always, C::Never, nullptr, false},

    // Edit
    {kUndo, M::Edit, false, "&Undo\tCtrl+Z", "Undo the last action", "edit-undo", H::Document,
     C::CanUndo, C::Never, &Undo, false},
    {kRedo, M::Edit, false, "&Redo\tCtrl+Y", "Redo the previously undone action", "edit-redo",
     H::Document, C::CanRedo, C::Never, &Redo, false},
    {kCut, M::Edit, true, "Cu&t\tCtrl+X", "Cut the selection to the clipboard", "edit-cut",
     H::None, C::Never, C::Never, nullptr, false},
    {kCopy, M::Edit, false, "&Copy\tCtrl+C", "Copy the data and the image to the clipboard",
     "edit-copy", H::Document, C::HasImage, C::Never, &Copy, false},
    {kPaste, M::Edit, false, "&Paste\tCtrl+V", "Replace the image with the one on the clipboard",
     "edit-paste", H::Document, C::ClipboardHasBitmap, C::Never, &Paste, false},
    {kNewDataSet, M::Edit, true, "&New Data Set...", "Start a new data set", "tracery-new-data-set",
     H::Document, C::Always, C::Never, nullptr, true},
    {kRenameCurrentSet, M::Edit, false, "Rena&me Current Set", "Rename the current data set", "",
     H::None, C::Never, C::Never, nullptr, false},
    {kClearCurrentSet, M::Edit, false, "C&lear Current Set", "Delete every point of the current data set",
     "edit-clear", H::Document, C::CurrentSetHasItems, C::Never, &ClearCurrentSet, false},
    {kDeleteCurrentSet, M::Edit, false, "&Delete Current Set", "Delete the current data set",
     "edit-delete", H::Document, C::HasImage, C::Never, &DeleteCurrentSet, false},
    {kDeleteAllData, M::Edit, false, "Delete &All Data", "Delete every data set and point", "",
     H::Document, C::HasItems, C::Never, &DeleteAllData, false},
    {kSortData, M::Edit, true, "S&ort Data", "Sort the points on X in the list and in saved text",
     "view-sort-ascending", H::Document, C::HasItems, C::SortingOn, &SortData, false},
    {kOptions, M::Edit, true, "O&ptions...", "Change the settings of Tracery",
     "preferences-system", H::Document, C::Always, C::Never, nullptr, true},

    // View
    {kStandardBar, M::View, false, "&Standard Toolbar", "Show or hide the Standard toolbar", "",
     H::MainWindow, C::Always, C::BarVisible, nullptr, false},
    {kViewBar, M::View, false, "&View Toolbar", "Show or hide the View toolbar", "", H::MainWindow,
     C::Always, C::BarVisible, nullptr, false},
    {kDigitizeBar, M::View, false, "&Digitize Toolbar", "Show or hide the Digitize toolbar", "",
     H::MainWindow, C::Always, C::BarVisible, nullptr, false},
    {kDataSetsBar, M::View, false, "Data S&ets", "Show or hide the Data Sets toolbar", "",
     H::MainWindow, C::Always, C::BarVisible, nullptr, false},
    {kAttributesBar, M::None, false, "Attributes Toolbar", "Show or hide the attributes panel", "",
     H::MainWindow, C::Always, C::BarVisible, nullptr, false},
    {kStatusBar, M::View, false, "Status &Bar", "Show or hide the status bar", "", H::MainWindow,
     C::Always, C::BarVisible, nullptr, false},
    {kAttributes, M::View, false, "A&ttributes", "Show or hide the attributes panel",
     "tracery-attributes", H::MainWindow, C::DocumentViewActive, C::AttributesBarVisible,
     nullptr, false},
    {kMagnifier, M::View, false, "&Magnifier", "Show or hide the enlarged view around the pointer",
     "", H::MainWindow, C::Always, C::MagnifierVisible, nullptr, false},
    {kZoomIn, M::View, true, "Zoom &In\tCtrl++", "Zoom in about the centre of the window",
     "zoom-in", H::View, C::HasImage, C::Never, nullptr, false},
    {kZoomOut, M::View, false, "Zoom &Out\tCtrl+-", "Zoom out about the centre of the window",
     "zoom-out", H::View, C::HasImage, C::Never, nullptr, false},
    {kFitToWindow, M::View, false, "Fit To Window\tCtrl+F", "Fit the whole image into the window",
     "zoom-fit-best", H::View, C::HasImage, C::Never, nullptr, false},
    {kActualPixels, M::View, false, "Actual Pixels\tCtrl+0", "Show one image pixel per screen pixel",
     "zoom-original", H::View, C::HasImage, C::ActualPixels, nullptr, false},
    {kRefresh, M::View, false, "Refresh", "Draw the window again", "view-refresh", H::View,
     C::HasImage, C::Never, nullptr, false},
    {kZoomFast, M::View, true, "Zoom Fast", "Zoom in large steps", "", H::View, C::HasImage,
     C::ZoomTypeMatches, nullptr, false},
    {kZoomMedium, M::View, false, "Zoom Medium", "Zoom in medium steps", "", H::View, C::HasImage,
     C::ZoomTypeMatches, nullptr, false},
    {kZoomSlow, M::View, false, "Zoom Slow", "Zoom in small steps", "", H::View, C::HasImage,
     C::ZoomTypeMatches, nullptr, false},
    {kDrawDithered, M::View, false, "Draw Dithered", "Draw the image dithered", "", H::View,
     C::HasImage, C::DrawDithered, nullptr, false},
    {kPan, M::View, true, "Pan", "Drag the image with the hand", "tracery-pan", H::View,
     C::HasImage, C::ToolActive, nullptr, false},
    {kZoomInRecenter, M::View, false, "Zoom In - Recenter", "Click to zoom in about that point",
     "tracery-zoom-in-recenter", H::View, C::HasImage, C::ToolActive, nullptr, false},
    {kZoomOutRecenter, M::View, false, "Zoom Out - Recenter", "Click to zoom out about that point",
     "tracery-zoom-out-recenter", H::View, C::HasImage, C::ToolActive, nullptr, false},
    {kSaveView, M::None, false, "Save View", "Remember the current zoom and scroll position",
     "tracery-save-view", H::View, C::DisplayImageExists, C::Never, nullptr, false},
    {kNextSavedView, M::View, true, "Next Saved View", "Go to the next remembered view",
     "go-next", H::View, C::HasNextSavedView, C::Never, nullptr, false},
    {kPreviousSavedView, M::View, false, "Previous Saved View", "Go to the previous remembered view",
     "go-previous", H::View, C::HasPreviousSavedView, C::Never, nullptr, false},
    {kSwapViews, M::None, false, "Swap Views", "Swap the views", "tracery-swap-views", H::None,
     C::Never, C::Never, nullptr, false},

    // Digitize
    {kDefineMappingRegion, M::Digitize, false, "&Define Mapping Region",
     "Draw the mapping region, or drag its edges and corners", "tracery-define-region", H::View,
     C::HasImage, C::ToolActive, nullptr, false},
    {kRotateMappingRegion, M::Digitize, false, "&Rotate Mapping Region",
     "Turn the mapping region about its bottom-left corner", "tracery-rotate-region", H::View,
     C::RegionPlaced, C::ToolActive, nullptr, false},
    {kDefineMappingFullSized, M::Digitize, false, "Define Mapping &Full Sized",
     "Set the Mapping Region to the bitmap limits", "", H::Document, C::HasImage, C::Never,
     &FullSized, false},
    {kAxisMapping, M::Digitize, true, "&Axis Mapping...", "Give the graph values of the mapping region's axes",
     "tracery-axis-mapping", H::Document, C::RegionPlaced, C::Never, nullptr, true},
    {kPixelMapping, M::Digitize, false, "&Pixel Mapping...", "Give a scale in pixels per graph unit",
     "", H::Document, C::RegionPlaced, C::Never, nullptr, true},
    {kGridSnap, M::Digitize, false, "&Grid Snap...", "Define the grid snap spacing", "",
     H::Document, C::RegionPlaced, C::GridSnaps, nullptr, true},
    {kCollectPoints, M::Digitize, true, "&Collect Points", "Click to add points to the current data set",
     "tracery-collect-points", H::View, C::RegionPlaced, C::ToolActive, nullptr, false},
    {kCollectLines, M::Digitize, false, "Collect &Lines", "Measure the length and angle of a line",
     "tracery-collect-lines", H::View, C::RegionPlaced, C::ToolActive, nullptr, false},
    {kCollectAngles, M::None, false, "Collect Angles", "Measure an angle", "tracery-collect-angles",
     H::None, C::Never, C::Never, nullptr, false},
    {kSelectDataSet, M::None, false, "Select Data Set", "Choose the current data set", "",
     H::None, C::Never, C::Never, nullptr, false},

    // Image
    {kFlipHorizontal, M::Image, false, "Flip &Horizontal", "Mirror the image left to right",
     "object-flip-horizontal", H::Document, C::HasImage, C::Never, &FlipHorizontal, false},
    {kFlipVertical, M::Image, false, "Flip &Vertical", "Mirror the image top to bottom",
     "object-flip-vertical", H::Document, C::HasImage, C::Never, &FlipVertical, false},
    {kRotateClockwise, M::Image, true, "Rotate 90\xC2\xB0 &Clockwise", "Turn the image a quarter clockwise",
     "object-rotate-right", H::Document, C::HasImage, C::Never, &Rotate90, false},
    {kRotateCounterClockwise, M::Image, false, "Rotate 90\xC2\xB0 C&ounter Clockwise",
     "Turn the image a quarter counter-clockwise", "object-rotate-left", H::Document, C::HasImage,
     C::Never, &Rotate270, false},
    {kRotate180, M::Image, false, "Rotate &180\xC2\xB0", "Turn the image upside down", "",
     H::Document, C::HasImage, C::Never, &Rotate180, false},
    {kCrop, M::Image, true, "Crop", "Draw a rectangle and crop the image to it", "tracery-crop",
     H::View, C::HasImage, C::ToolActive, nullptr, false},
    {kImageInfo, M::Image, true, "Image &Info...", "Show the size, depth and file of the image",
     "dialog-information", H::Document, C::HasImage, C::Never, nullptr, true},

    // Help
    {kContextHelp, M::None, false, "Help", "Show help for the next item clicked",
     "help-contextual", H::Application, C::Always, C::Never, nullptr, false},
    {kAppAbout, M::Help, false, "&About Tracery...", "Show the program's version and credits",
     "help-about", H::Application, C::Always, C::Never, nullptr, false},
};

// clang-format on

} // namespace

std::span<const CommandRow> CommandTable() {
    return kRows;
}

const CommandRow* FindCommand(int id) {
    const auto row = std::find_if(std::begin(kRows), std::end(kRows),
                                  [id](const CommandRow& r) { return r.id == id; });
    return row != std::end(kRows) ? &*row : nullptr;
}
