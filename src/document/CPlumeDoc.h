#pragma once

#include "database/PlumeData.h"
#include "document/CommandTable.h"
#include "document/DocumentServices.h"
#include "image/PdfPageChoice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class ImageStore;
class TransformMan;

// One open image or document file: its database, its mapping manager, its path, title
// and modified state, and the document-level commands. It talks to the platform only
// through its services.
//
// Document file: the bytes "PLMQ" (little-endian 0x514D4C50), then the database block.
class CPlumeDoc : public DocumentLink {
public:
    static constexpr std::uint32_t kMagic = 0x514D4C50;

    // The command ids, as CPlumeDoc::kUndo and so on.
    using enum CommandId;

    struct CommandState {
        bool enabled = false;
        bool checked = false;
    };

    explicit CPlumeDoc(DocumentServices services);
    ~CPlumeDoc() override;
    CPlumeDoc(const CPlumeDoc&) = delete;
    CPlumeDoc& operator=(const CPlumeDoc&) = delete;

    bool NewDocument();
    // An image file first (any format the image store reads), else a document file; the
    // path becomes the document's and goes on the recent-file list.
    // `page` chooses the page and resolution when the file is a PDF.
    bool OpenDocument(const std::string& path, const PdfPageChoice& page = {});
    bool LoadDocumentFile(const std::string& path);
    // The same for a file already read into memory.
    bool LoadDocumentBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
    // File > Save (the current path, replace) and Save As (no path, replace).
    bool SaveWithPrompt(const std::string& path, bool replace);
    bool PromptSaveName(std::string& name, bool replace);
    // Writes the form that the name's extension selects (unknown extensions as ".txt").
    bool SaveDocument(const std::string& path);
    bool SaveDocumentFile(const std::string& path);
    // Before a modified document closes: "Save changes to %1?". Yes saves as Save does,
    // No lets it close unsaved, Cancel (or a save that fails) keeps it open.
    bool SaveModified();
    bool ExportTextFile(const std::string& path, const char* separator);

    void UpdateTitle(const std::string& name);
    void SetModified(bool modified) override;
    bool IsModified() const { return modified_; }
    void ReleaseContents();
    // Hands the database to the main frame's data-set box and attributes panel.
    void AttachToFrame();
    void CreateMappingManager();
    bool HasImage() const;
    std::pair<int, int> GetImageSize() const;
    ImageStore* GetScaledImage(int width, int height);
    void SelectDataSet(std::int32_t index);
    void CommitTask();
    // The document's views but the sender redraw with the hint.
    void UpdateOtherViews(const void* sender, int hint);
    // When one of its views becomes active: the title is refreshed from the modified flag,
    // the working copy of the mapping is renewed, and the bars hear from the set and
    // attribute managers.
    void OnViewActivated();

    // The state of a document command of the command table; disabled and unticked for any
    // other id.
    CommandState QueryCommand(int command) const;
    // Runs a document command that needs no dialog; false when the command is not enabled,
    // belongs to a window or a dialog, or did nothing.
    bool RunCommand(int command);
    // Whether a condition of the command table holds for this document; false for the
    // conditions only a window can answer.
    bool Holds(CommandCondition condition) const;

    // The document commands. Each performs or undoes a task and ends with CommitTask; false
    // when nothing happened.
    bool Undo();
    bool Redo();
    bool DeleteAllData();
    bool ClearCurrentSet();
    bool DeleteCurrentSet();
    bool ToggleSortData();
    bool FlipImage(bool horizontal);
    bool RotateImage(int degrees);
    // New Data Set with the name the dialog gave; an empty name is refused.
    bool NewDataSet(const std::string& name);
    bool DefineMappingFullSized();
    bool CopyToClipboard();
    bool PasteFromClipboard();
    // The paste of an image from elsewhere (a scanner): the same task as Edit > Paste.
    bool PasteImage(const ImageStore& image);
    // The options dialog's OK: the document's database takes the sort and bitmap-copy
    // choices.
    void ApplyOptions(const CPreferences& preferences);
    std::string ImageInformationText() const;

    PlumeData* Database() { return database_.get(); }
    const PlumeData* Database() const { return database_.get(); }
    TransformMan* MappingManager() { return mappingManager_.get(); }
    const std::string& Path() const { return path_; }
    void SetPath(const std::string& path) { path_ = path; }
    const std::string& Title() const { return title_; }
    bool NeedsNamePrompt() const { return needsNamePrompt_; }

    // The save type last chosen, kept in the application state.
    static int LastSaveType();

private:
    // Thrown by Serialize after it has shown its own message.
    struct SilentAbort {};

    void Serialize(Archive& archive);
    bool CreateDatabase();
    void ShowMessage(const std::string& text) const;
    bool SaveText(const std::string& path, const char* separator);
    bool PerformAndCommit(std::unique_ptr<Task> task);

    DocumentServices services_;
    std::unique_ptr<PlumeData> database_;
    std::unique_ptr<TransformMan> mappingManager_;
    bool needsNamePrompt_ = true;
    bool modified_ = false;
    std::string path_;
    std::string title_;     // as shown: with "*" while modified
    std::string baseTitle_; // without it
};
