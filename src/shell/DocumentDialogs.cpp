#include "shell/DocumentDialogs.h"

#include "core/Archive.h"
#include "core/CPreferences.h"
#include "document/CPlumeDoc.h"
#include "history/RegGridTask.h"
#include "history/TransTask.h"
#include "shell/CNewSetDlg.h"
#include "shell/OptionsDlg.h"
#include "ui/ImageInfoDlg.h"
#include "ui/PixelMappingDlg.h"
#include "ui/RegGridDlg.h"
#include "ui/TransDlg.h"

#include <QTimer>

#include <memory>

namespace {

// The set name proposed for a new data set, as for a document's first set.
constexpr const char* kProposedSetName = "Line";

bool Exec(QDialog& dialog, const DialogDrive& drive) {
    if (drive) {
        QTimer::singleShot(0, &dialog, [&dialog, &drive] {
            drive(dialog);
            if (dialog.isVisible()) {
                dialog.reject();
            }
        });
    }
    return dialog.exec() == QDialog::Accepted;
}

bool Enabled(const CPlumeDoc& doc, int commandId) {
    return doc.Database() != nullptr && doc.QueryCommand(commandId).enabled;
}

// A mapping or grid dialog over `data`: on OK its copy goes into a task on the history and
// the document commits it.
template <typename Dialog, typename ChangeTask, typename Data>
bool RunRepresentationDialog(QWidget* parent, CPlumeDoc& doc, Data& data,
                             const DialogDrive& drive) {
    Dialog dialog(data, parent);
    if (!Exec(dialog, drive)) {
        return false;
    }
    PlumeData* database = doc.Database();
    const bool performed =
        database->Perform(std::make_unique<ChangeTask>(database, dialog.TakeRepresentation()));
    doc.CommitTask();
    return performed;
}

} // namespace

bool RunAxisMapping(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive) {
    return Enabled(doc, kAxisMapping) && RunRepresentationDialog<TransDlg, TransTask>(
                                             parent, doc, doc.Database()->Mapping(), drive);
}

bool ConfirmMapping(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive) {
    if (doc.Database() == nullptr) {
        return false;
    }
    if (doc.Database()->Mapping().limitsSet != 1) {
        RunAxisMapping(parent, doc, drive);
    }
    return doc.Database()->Mapping().limitsSet == 1;
}

bool RunPixelMapping(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive) {
    return Enabled(doc, kPixelMapping) && RunRepresentationDialog<CImageMapping, TransTask>(
                                              parent, doc, doc.Database()->Mapping(), drive);
}

bool RunGridSnap(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive) {
    return Enabled(doc, kGridSnap) && RunRepresentationDialog<RegGridDlg, RegGridTask>(
                                          parent, doc, doc.Database()->Grid(), drive);
}

bool RunNewDataSet(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive) {
    if (!Enabled(doc, kNewDataSet)) {
        return false;
    }
    CNewSetDlg dialog(QString::fromLatin1(kProposedSetName), parent);
    if (!Exec(dialog, drive)) {
        return false;
    }
    // Set names are kept in the document file's 8-bit code page.
    return doc.NewDataSet(Utf16ToCodePage(dialog.Name().toStdU16String()));
}

bool RunImageInfo(QWidget* parent, CPlumeDoc& doc, const DialogDrive& drive) {
    if (!Enabled(doc, kImageInfo)) {
        return false;
    }
    ImageInfoDlg dialog(doc.ImageInformationText(), parent);
    Exec(dialog, drive);
    return true;
}

bool RunOptions(QWidget* parent, CPlumeDoc& doc, CPreferences& preferences,
                const DialogDrive& drive) {
    if (!Enabled(doc, kOptions)) {
        return false;
    }
    OptionsDlg dialog(preferences, parent);
    if (!Exec(dialog, drive)) {
        return false;
    }
    preferences.CopySettingsFrom(dialog.Preferences());
    doc.ApplyOptions(preferences);
    preferences.Notify(nullptr);
    return true;
}

bool IsDocumentDialog(int commandId) {
    switch (commandId) {
    case kAxisMapping:
    case kPixelMapping:
    case kGridSnap:
    case kNewDataSet:
    case kImageInfo:
    case kOptions:
        return true;
    default:
        return false;
    }
}

bool RunDocumentDialog(int commandId, QWidget* parent, CPlumeDoc& doc, CPreferences& preferences,
                       const DialogDrive& drive) {
    switch (commandId) {
    case kAxisMapping:
        return RunAxisMapping(parent, doc, drive);
    case kPixelMapping:
        return RunPixelMapping(parent, doc, drive);
    case kGridSnap:
        return RunGridSnap(parent, doc, drive);
    case kNewDataSet:
        return RunNewDataSet(parent, doc, drive);
    case kImageInfo:
        return RunImageInfo(parent, doc, drive);
    case kOptions:
        return RunOptions(parent, doc, preferences, drive);
    default:
        return false;
    }
}
