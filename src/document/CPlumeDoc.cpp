#include "document/CPlumeDoc.h"

#include "core/ApplicationState.h"
#include "core/Archive.h"
#include "core/ArchiveObjectTable.h"
#include "core/CPreferences.h"
#include "document/SaveDialogState.h"
#include "document/SaveTypes.h"
#include "history/ImageFlipTask.h"
#include "history/ImagePasteTask.h"
#include "history/ImageRotateTask.h"
#include "history/NewSetTask.h"
#include "history/PointClearTask.h"
#include "history/SetClearTask.h"
#include "history/SetDeleteTask.h"
#include "history/TransTask.h"
#include "image/ImageInformation.h"
#include "image/SafeFileWriter.h"
#include "mapping/TransformMan.h"
#include "platform/BusyIndicator.h"
#include "platform/Clipboard.h"
#include "platform/DocumentViews.h"
#include "platform/MessageService.h"
#include "platform/RecentFiles.h"
#include "platform/SaveNamePrompt.h"

#include <filesystem>

namespace {

constexpr const char* kUnknownFileType =
    "Unknown file type detected...\nNot a known image or restart  file.";
constexpr const char* kFailedToOpen = "Failed to open document.";
constexpr const char* kFailedToSave = "Failed to save document.";
constexpr const char* kInvalidFilename = "Invalid filename.";
constexpr const char* kNoPoints = "No points to save!";
constexpr const char* kProblemSavingImage = "Problem saving the image!";
constexpr const char* kBadImageFormat = "Bad image save format!";

const CPreferences& Preferences(const DocumentServices& services) {
    static const CPreferences defaults;
    return services.preferences != nullptr ? *services.preferences : defaults;
}

std::string FileTitle(const std::string& name) {
    return std::filesystem::path(name).filename().string();
}

// Text files end their lines in CR LF on disk; the text is built with bare line feeds.
std::string WithCrLf(const std::string& text) {
    std::string converted;
    converted.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') {
            converted.push_back('\r');
        }
        converted.push_back(c);
    }
    return converted;
}

} // namespace

CPlumeDoc::CPlumeDoc(DocumentServices services) : services_(services) {}

CPlumeDoc::~CPlumeDoc() = default;

int CPlumeDoc::LastSaveType() {
    return ApplicationState::Current().lastSaveType;
}

void CPlumeDoc::ShowMessage(const std::string& text) const {
    if (services_.messages != nullptr) {
        services_.messages->ShowMessage(text);
    }
}

bool CPlumeDoc::CreateDatabase() {
    mappingManager_.reset();
    database_ = std::make_unique<PlumeData>(this);
    AttachToFrame();
    database_->CreateDefaultSet();
    return true;
}

void CPlumeDoc::AttachToFrame() {
    if (services_.views != nullptr) {
        services_.views->AttachDatabase(database_.get());
    }
}

bool CPlumeDoc::NewDocument() {
    ReleaseContents();
    path_.clear();
    modified_ = false;
    needsNamePrompt_ = true;
    database_ = std::make_unique<PlumeData>(this);
    UpdateTitle("Untitled");
    database_->ApplyPreferences(Preferences(services_));
    AttachToFrame();
    database_->CreateDefaultSet();
    return true;
}

bool CPlumeDoc::OpenDocument(const std::string& path, const PdfPageChoice& page) {
    needsNamePrompt_ = true;
    auto previousManager = std::move(mappingManager_);
    CreateDatabase();
    SetModified(true);

    std::vector<std::uint8_t> bytes;
    const bool readable = ImageStore::ReadWholeFile(path, bytes);
    ImageStore image;
    if (readable && image.LoadBytes(bytes.data(), bytes.size(), page)) {
        database_->SetImagePath(path);
        const int typeCode = image.GetTypeCode();
        database_->ReplaceImage(std::move(image), PlumeData::kHintData);
        database_->Image().SetTypeCode(typeCode);
        database_->ApplyPreferences(Preferences(services_));
    } else if (!(readable ? LoadDocumentBytes(path, bytes) : LoadDocumentFile(path))) {
        ReleaseContents();
        return false;
    }

    CreateMappingManager();
    bool& firstOpen = ApplicationState::Current().firstOpen;
    if (!firstOpen && previousManager && mappingManager_ &&
        Preferences(services_).reuseMappingData != 0) {
        // The earlier manager belonged to the database just replaced; its region is handed
        // to the new mapping through a manager of the new one.
        mappingManager_->region = previousManager->region;
        mappingManager_->Notify(nullptr);
    }
    firstOpen = false;
    path_ = path;
    SetModified(false);
    if (services_.recentFiles != nullptr) {
        services_.recentFiles->Add(path);
    }
    return true;
}

bool CPlumeDoc::LoadDocumentFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!ImageStore::ReadWholeFile(path, bytes)) {
        ShowMessage(kFailedToOpen);
        return false;
    }
    return LoadDocumentBytes(path, bytes);
}

bool CPlumeDoc::LoadDocumentBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        return true;
    }
    BusyScope busy(services_.busy);
    Archive archive(bytes.data(), bytes.size());
    const std::string previousPath = path_;
    path_ = path; // an embedded image takes the document file's path
    try {
        Serialize(archive);
        path_ = previousPath;
        return true;
    } catch (const SilentAbort&) {
    } catch (const std::exception&) {
        // The end of the file, or no memory for what it holds.
        ShowMessage(kFailedToOpen);
    }
    path_ = previousPath;
    ReleaseContents();
    return false;
}

void CPlumeDoc::Serialize(Archive& archive) {
    if (archive.IsLoading()) {
        if (static_cast<std::uint32_t>(archive.ReadInt32()) != kMagic) {
            ShowMessage(kUnknownFileType);
            throw SilentAbort{};
        }
        if (!database_->Serialize(archive, path_)) {
            ShowMessage(kFailedToOpen);
            throw SilentAbort{};
        }
        return;
    }
    archive.WriteInt32(static_cast<std::int32_t>(kMagic));
    if (!database_->Serialize(archive)) {
        ShowMessage(kFailedToSave);
        throw SilentAbort{};
    }
}

bool CPlumeDoc::SaveWithPrompt(const std::string& path, bool replace) {
    std::string name = path;
    if (path.empty() || needsNamePrompt_) {
        name = path_;
        if (replace && name.empty()) {
            name = baseTitle_.substr(0, baseTitle_.find_first_of(" #%;/\\")) + ".txt";
        }
        if (!PromptSaveName(name, replace)) {
            return false;
        }
    }
    bool saved = false;
    {
        BusyScope busy(services_.busy);
        saved = SaveDocument(name);
    }
    if (!saved) {
        // Nothing to delete: a failed save never replaced any file.
        return false;
    }
    needsNamePrompt_ = false;
    if (replace) {
        path_ = name;
        if (services_.recentFiles != nullptr && !SaveTypes::Matches(name, ".txt")) {
            services_.recentFiles->Add(name);
        }
    }
    if (database_) {
        database_->ClearHistory();
    }
    SetModified(false);
    return true;
}

bool CPlumeDoc::SaveModified() {
    if (!modified_ || services_.messages == nullptr) {
        return true;
    }
    switch (services_.messages->AskSaveChanges(baseTitle_)) {
    case MessageService::Answer::Yes:
        return SaveWithPrompt(path_, true);
    case MessageService::Answer::No:
        return true;
    case MessageService::Answer::Cancel:
        break;
    }
    return false;
}

bool CPlumeDoc::PromptSaveName(std::string& name, bool replace) {
    if (!database_) {
        return false;
    }
    int& lastSaveType = ApplicationState::Current().lastSaveType;
    if (lastSaveType == 0) {
        if (database_->SetManager().GetTotalCount() > 0) {
            lastSaveType = SaveTypes::kComma;
        } else if (database_->ImageSet() || database_->DataModified() ||
                   database_->ImageModified()) {
            lastSaveType = SaveTypes::kDocument;
        } else {
            lastSaveType = SaveTypes::kBitmap;
        }
    }
    SaveDialogState state(lastSaveType,
                          SaveTypes::StripExtension(name) + SaveTypes::At(lastSaveType).extension,
                          database_->SortData(), !database_->SaveByReference(),
                          !database_->ImagePath().empty(), database_->Image().NeedsEmbeddedCopy());
    if (services_.savePrompt == nullptr ||
        !services_.savePrompt->Prompt(state, replace ? "Save As" : "Save a Copy")) {
        return false;
    }
    if (state.Sort() != database_->SortData()) {
        database_->SetSortData(!database_->SortData());
    }
    if (state.SaveCopy() == database_->SaveByReference()) {
        database_->SetSaveByReference(!database_->SaveByReference());
    }
    name = state.ChosenName();
    lastSaveType = state.Filter();
    return true;
}

bool CPlumeDoc::SaveDocument(const std::string& path) {
    if (!database_) {
        ShowMessage(kFailedToSave);
        return false;
    }
    const int type = SaveTypes::Match(path);
    switch (SaveTypes::At(type == 0 ? SaveTypes::kText : type).kind) {
    case SaveTypes::Kind::Document:
        return SaveDocumentFile(path);
    case SaveTypes::Kind::TextSpace:
    case SaveTypes::Kind::TextComma:
        return SaveText(path, SaveTypes::SeparatorFor(path));
    case SaveTypes::Kind::Bitmap:
        if (!database_->Image().SaveBmpFile(path)) {
            ShowMessage(kProblemSavingImage);
            return false;
        }
        database_->SetImageModified(false);
        database_->SetImagePath(path);
        return true;
    }
    ShowMessage(kBadImageFormat);
    return false;
}

bool CPlumeDoc::SaveText(const std::string& path, const char* separator) {
    if (database_->SetManager().GetTotalCount() == 0) {
        ShowMessage(kNoPoints);
        return false;
    }
    if (!ExportTextFile(path, separator)) {
        ShowMessage(kFailedToSave);
        return false;
    }
    database_->SetExportPath(path);
    database_->SetDataModified(false);
    return true;
}

bool CPlumeDoc::ExportTextFile(const std::string& path, const char* separator) {
    std::string text;
    database_->ExportText(text, separator);
    const std::string file = WithCrLf(text);
    return SafeFileWriter::WriteBytes(path, file.data(), file.size()) ==
           SafeFileWriter::Result::Written;
}

bool CPlumeDoc::SaveDocumentFile(const std::string& path) {
    if (!database_) {
        ShowMessage(kFailedToSave);
        return false;
    }
    // The archive streams into the new file as it fills, so a save never holds the whole
    // document's bytes. A failed serialization leaves no file behind: the writer removes
    // its temporary file when the body fails.
    bool aborted = false; // the failure has been told already
    SafeFileWriter::Result result;
    {
        BusyScope busy(services_.busy);
        result = SafeFileWriter::Write(path, [&](std::FILE* out) {
            Archive archive([out](const std::uint8_t* data, std::size_t size) {
                return SafeFileWriter::Put(out, data, size);
            });
            try {
                Serialize(archive);
                archive.Flush();
                return true;
            } catch (const SilentAbort&) {
                aborted = true;
            } catch (const std::exception&) {
                // A refused write, or no memory for what the file needs: a failed save.
            }
            return false;
        });
    }
    if (aborted) {
        return false;
    }
    if (result == SafeFileWriter::Result::CannotCreate) {
        ShowMessage(kInvalidFilename);
        return false;
    }
    if (result == SafeFileWriter::Result::WriteFailed) {
        ShowMessage(kFailedToSave);
        return false;
    }
    database_->MarkSaved();
    return true;
}

void CPlumeDoc::UpdateTitle(const std::string& name) {
    const std::string fileTitle = FileTitle(name);
    if (fileTitle.empty()) {
        return;
    }
    if (!database_) {
        title_ = fileTitle;
        baseTitle_ = fileTitle;
    } else {
        if (services_.views != nullptr) {
            services_.views->SetStatusPane(4, FileTitle(database_->ImagePath()));
            services_.views->SetStatusPane(
                2, std::to_string(database_->SetManager().GetCurrentCount()));
        }
        title_ = fileTitle;
        if (needsNamePrompt_) {
            for (const char* extension : {".plm", ".txt", ".bmp", ".tif"}) {
                if (SaveTypes::Matches(title_, extension)) {
                    title_.resize(title_.rfind('.'));
                    break;
                }
            }
        }
        baseTitle_ = title_;
        if (modified_) {
            title_ += "*";
        }
    }
    if (services_.views != nullptr) {
        services_.views->SetTitle(title_);
    }
}

void CPlumeDoc::SetModified(bool modified) {
    modified_ = modified;
    UpdateTitle(path_);
}

void CPlumeDoc::ReleaseContents() {
    mappingManager_.reset();
    if (database_ && services_.views != nullptr) {
        services_.views->AttachDatabase(nullptr);
    }
    database_.reset();
}

void CPlumeDoc::CreateMappingManager() {
    mappingManager_.reset();
    if (!database_) {
        return;
    }
    std::unique_ptr<AttributeRep> rep = database_->Mapping().CreateRep(TransformMan::kKey);
    mappingManager_.reset(static_cast<TransformMan*>(rep.release()));
}

bool CPlumeDoc::HasImage() const {
    return database_ && database_->Image().HasImage();
}

std::pair<int, int> CPlumeDoc::GetImageSize() const {
    if (!HasImage()) {
        return {1, 1};
    }
    const ImageStore::Info info = database_->Image().GetInfo();
    return {info.width > 0 ? info.width : 1, info.height > 0 ? info.height : 1};
}

ImageStore* CPlumeDoc::GetScaledImage(int width, int height) {
    return database_ ? database_->Image().GetScaledCopy(width, height) : nullptr;
}

void CPlumeDoc::SelectDataSet(std::int32_t index) {
    if (!database_) {
        return;
    }
    database_->ChooseSet(index);
    CommitTask();
}

void CPlumeDoc::CommitTask() {
    if (!database_) {
        return;
    }
    const std::int32_t hint = database_->TakeUpdateHint();
    if (services_.views != nullptr) {
        services_.views->UpdateAllViews(hint);
    }
}

void CPlumeDoc::UpdateOtherViews(const void* sender, int hint) {
    if (services_.views != nullptr) {
        services_.views->UpdateOtherViews(sender, hint);
    }
}

void CPlumeDoc::OnViewActivated() {
    SetModified(modified_);
    if (!database_) {
        return;
    }
    CreateMappingManager();
    database_->NotifyAll();
}

bool CPlumeDoc::PerformAndCommit(std::unique_ptr<Task> task) {
    const bool performed = database_->Perform(std::move(task));
    CommitTask();
    return performed;
}

CPlumeDoc::CommandState CPlumeDoc::QueryCommand(int command) const {
    const CommandRow* row = FindCommand(command);
    if (row == nullptr || row->handler != CommandHandler::Document) {
        return CommandState{};
    }
    return CommandState{Holds(row->enabled), Holds(row->checked)};
}

bool CPlumeDoc::Holds(CommandCondition condition) const {
    using C = CommandCondition;
    if (condition == C::Always) {
        return true;
    }
    if (!database_) {
        return false;
    }
    const PlumeData& d = *database_;
    switch (condition) {
    case C::HasImage:
        return HasImage();
    case C::RegionPlaced:
        return d.Mapping().region.pixelCount > 0;
    case C::HasItems:
        return d.SetManager().GetTotalCount() > 0;
    case C::CurrentSetHasItems:
        return d.SetManager().GetCurrentCount() > 0;
    case C::CanUndo:
        return d.CanUndo();
    case C::CanRedo:
        return d.CanRedo();
    case C::ClipboardHasBitmap:
        return services_.clipboard != nullptr && services_.clipboard->HasPackedBitmap();
    case C::SortingOn:
        return d.SortData();
    case C::GridSnaps:
        return d.HasGridSnap();
    default:
        return false; // Never, and the conditions of the windows
    }
}

bool CPlumeDoc::RunCommand(int command) {
    const CommandRow* row = FindCommand(command);
    if (row == nullptr || row->handler != CommandHandler::Document || row->run == nullptr ||
        !database_ || !QueryCommand(command).enabled) {
        return false; // the dialog commands are run by their windows
    }
    return row->run(*this);
}

// The views redraw only when the history really moved.
bool CPlumeDoc::Undo() {
    const bool moved = database_ && database_->Undo();
    if (moved) {
        CommitTask();
    }
    return moved;
}

bool CPlumeDoc::Redo() {
    const bool moved = database_ && database_->Redo();
    if (moved) {
        CommitTask();
    }
    return moved;
}

bool CPlumeDoc::DeleteAllData() {
    if (!database_) {
        return false;
    }
    const bool done = PerformAndCommit(std::make_unique<PointClearTask>(database_.get()));
    needsNamePrompt_ = true;
    return done;
}

bool CPlumeDoc::ClearCurrentSet() {
    return database_ && PerformAndCommit(std::make_unique<SetClearTask>(database_.get()));
}

bool CPlumeDoc::DeleteCurrentSet() {
    return database_ && PerformAndCommit(std::make_unique<SetDeleteTask>(database_.get()));
}

bool CPlumeDoc::ToggleSortData() {
    if (!database_) {
        return false;
    }
    database_->SetSortData(!database_->SortData());
    database_->SetManager().Notify(DatabaseHint());
    return true;
}

bool CPlumeDoc::FlipImage(bool horizontal) {
    return database_ && PerformAndCommit(std::make_unique<ImageFlipTask>(
                            database_.get(),
                            horizontal ? ImageFlipTask::kHorizontal : ImageFlipTask::kVertical));
}

bool CPlumeDoc::RotateImage(int degrees) {
    return database_ &&
           PerformAndCommit(std::make_unique<ImageRotateTask>(database_.get(), degrees));
}

bool CPlumeDoc::NewDataSet(const std::string& name) {
    if (!database_ || name.empty()) {
        return false;
    }
    return PerformAndCommit(std::make_unique<NewSetTask>(database_.get(), name));
}

bool CPlumeDoc::DefineMappingFullSized() {
    if (!HasImage()) {
        return false;
    }
    const auto [width, height] = GetImageSize();
    std::unique_ptr<AttributeRep> rep = database_->Mapping().CreateRep(TransformMan::kKey);
    static_cast<TransformMan&>(*rep).DragRegion(0, DPoint{0, 0},
                                                DPoint{double(width - 1), double(height - 1)});
    return PerformAndCommit(std::make_unique<TransTask>(database_.get(), std::move(rep)));
}

bool CPlumeDoc::CopyToClipboard() {
    Clipboard* clipboard = services_.clipboard;
    if (clipboard == nullptr || !database_ || !clipboard->Open()) {
        return false;
    }
    BusyScope busy(services_.busy);
    clipboard->Empty();
    std::string text;
    database_->ExportText(text, "\t");
    clipboard->SetText(text);
    const PackedBitmap& bitmap = database_->Image().GetPackedBitmap();
    if (!bitmap.Empty()) {
        clipboard->SetPackedBitmap(
            std::vector<std::uint8_t>(bitmap.Data(), bitmap.Data() + bitmap.TotalSize()));
    }
    clipboard->Close();
    return true;
}

bool CPlumeDoc::PasteFromClipboard() {
    Clipboard* clipboard = services_.clipboard;
    if (clipboard == nullptr || !database_ || !clipboard->Open()) {
        return false;
    }
    std::optional<std::vector<std::uint8_t>> bytes;
    {
        BusyScope busy(services_.busy);
        bytes = clipboard->GetPackedBitmap();
        clipboard->Close();
    }
    ImageStore pasted;
    if (!bytes || !pasted.SetFromPacked(bytes->data(), bytes->size())) {
        return false;
    }
    return PasteImage(pasted);
}

bool CPlumeDoc::PasteImage(const ImageStore& image) {
    if (!database_ || !image.HasImage()) {
        return false;
    }
    return PerformAndCommit(std::make_unique<ImagePasteTask>(
        database_.get(), image, Preferences(services_).reuseMappingData != 0));
}

void CPlumeDoc::ApplyOptions(const CPreferences& preferences) {
    if (database_) {
        database_->ApplyPreferences(preferences);
    }
}

std::string CPlumeDoc::ImageInformationText() const {
    if (!database_) {
        return std::string();
    }
    return FormatImageInformation(database_->Image(), database_->ImagePath(),
                                  database_->ImageModified());
}
