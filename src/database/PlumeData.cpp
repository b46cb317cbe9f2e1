#include "database/PlumeData.h"

#include "core/Archive.h"
#include "core/ArchiveObjectTable.h"
#include "core/CPreferences.h"
#include "database/DbPointRep.h"
#include "database/ExportOptions.h"
#include "draw/DrawContext.h"

#include <cmath>
#include <filesystem>
#include <vector>

namespace {
// A stored point of the older versions is two doubles.
constexpr std::size_t kOldPointBytes = 16;
} // namespace

PlumeData::PlumeData(DocumentLink* document) : document_(document), grid_(&mapping_) {}

// Tasks may hold representations and records of this database; they go first, while
// everything they refer to still exists.
PlumeData::~PlumeData() {
    ClearHistory();
}

void PlumeData::OnChanged() {
    if (document_ != nullptr) {
        document_->SetModified(imageModified_ != 0 || dataModified_ != 0 || imageSet_ != 0);
    }
}

void PlumeData::CreateDefaultSet() {
    sets_.NewSet("Line");
}

std::int32_t PlumeData::NewSet(const std::string& name) {
    return sets_.NewSet(name);
}

std::int32_t PlumeData::AddPrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex) {
    dataModified_ = 1;
    updateHint_ = kHintData;
    return sets_.AddPrimitive(primitive, setIndex);
}

void PlumeData::RemovePrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex) {
    sets_.RemovePrimitive(primitive, setIndex);
    dataModified_ = 1;
    updateHint_ = kHintData;
}

std::unique_ptr<DbMemento> PlumeData::ClearAll() {
    return sets_.ClearAll();
}
std::unique_ptr<DbMemento> PlumeData::ClearCurrentSet() {
    return sets_.ClearCurrentSet();
}
std::unique_ptr<DbMemento> PlumeData::DeleteCurrentSet() {
    return sets_.DeleteCurrentSet();
}
std::unique_ptr<DbMemento> PlumeData::DeleteSet(std::int32_t index) {
    return sets_.DeleteSet(index);
}
void PlumeData::Restore(std::unique_ptr<DbMemento> memento) {
    sets_.Restore(std::move(memento));
}

void PlumeData::ChooseSet(std::int32_t index) {
    sets_.SelectSet(index);
    updateHint_ = kHintSetChosen;
    OnChanged();
}

void PlumeData::AddAttribute(const SmartPtr<DbAttRep>& attribute) {
    AttributeManager().AddAttribute(attribute);
}

std::optional<SmartPtr<DbAttRep>> PlumeData::RemoveAttribute(const std::string& name) {
    return AttributeManager().RemoveAttribute(name);
}

std::optional<SmartPtr<DbAttRep>> PlumeData::ReplaceAttribute(const SmartPtr<DbAttRep>& attribute) {
    return AttributeManager().ReplaceAttribute(attribute);
}

void PlumeData::MarkImageChanged() {
    imageModified_ = 1;
    updateHint_ = kHintImageChanged;
}

bool PlumeData::FlipImageHorizontal() {
    image_.FlipHorizontal();
    MarkImageChanged();
    return true;
}

bool PlumeData::FlipImageVertical() {
    image_.FlipVertical();
    MarkImageChanged();
    return true;
}

bool PlumeData::RotateImage(int degrees) {
    image_.Rotate(degrees);
    MarkImageChanged();
    return true;
}

void PlumeData::ReplaceImage(const ImageStore& image, std::int32_t hint) {
    image_.Assign(image);
    imageSet_ = 1;
    updateHint_ = hint;
}

void PlumeData::ReplaceImage(ImageStore&& image, std::int32_t hint) {
    image_.SetBitmap(image.TakeBitmap(), image_.GetTypeCode());
    imageSet_ = 1;
    updateHint_ = hint;
}

void PlumeData::ApplyPreferences(const CPreferences& preferences) {
    saveByReference_ = preferences.saveReference;
    if ((preferences.sortData != 0) != (sortData_ != 0)) {
        sortData_ = preferences.sortData;
        sets_.Notify(DatabaseHint());
    }
}

void PlumeData::NotifyAll() {
    sets_.NotifyAll();
}

void PlumeData::DrawSets(DrawContext& context) {
    sets_.DrawSets(context);
}

void PlumeData::DrawMapping(DrawContext& context) {
    if (mapping_.region.pixelCount > 0) {
        mapping_.region.Draw(context);
    }
}

void PlumeData::ExportText(std::string& text, std::string_view separator) const {
    ExportOptions options;
    options.sort = sortData_;
    options.axis = ExportOptions::kSortByX;
    sets_.ExportAllSets(text, separator, options);
}

namespace {
// d kept to digits + 1 significant figures: N x 10^k with k = floor(log10 d) - digits and
// N = d x 10^-k rounded half away from zero.
double Significant(double d, int digits) {
    if (!(d > 0.0) || !std::isfinite(d)) {
        return 0.0;
    }
    const double k = std::floor(std::log10(d)) - digits;
    return std::round(d * std::pow(10.0, -k)) * std::pow(10.0, k);
}
} // namespace

DPoint PlumeData::PixelResolution(const DPoint& pixel, const IPoint& logical, double scale,
                                  int digits) const {
    DPoint here;
    if (!mapping_.PixelToGraph(pixel, here)) {
        return DPoint{};
    }
    const DPoint next{(logical.x + 1) / scale, (logical.y + 1) / scale};
    DPoint there;
    if (!mapping_.PixelToGraph(next, there)) {
        return DPoint{};
    }
    return DPoint{Significant(std::fabs(there.x - here.x), digits),
                  Significant(std::fabs(there.y - here.y), digits)};
}

AttributeData* PlumeData::GetAttributeData(std::string_view key) {
    if (key == "AttTransform") {
        return &mapping_;
    }
    if (key == "AttRegGrid") {
        return &grid_;
    }
    return nullptr;
}

bool PlumeData::HasGridSnap() const {
    return grid_.snapX != 0 || grid_.snapY != 0;
}

std::int32_t PlumeData::TakeUpdateHint() {
    const std::int32_t hint = updateHint_;
    updateHint_ = kHintData;
    return hint;
}

void PlumeData::ClearChangeFlags() {
    imageModified_ = 0;
    dataModified_ = 0;
    imageSet_ = 0;
}

bool PlumeData::Serialize(Archive& archive, const std::string& documentPath) {
    ArchiveTableSession session;
    return archive.IsStoring() ? Write(archive) : Read(archive, documentPath);
}

bool PlumeData::Write(Archive& archive) {
    archive.WriteInt32(5);
    archive.WriteInt32(sortData_);
    mapping_.Serialize(archive);
    archive.WriteString(imagePath_);
    archive.WriteString(exportPath_);
    // Without an image there is nothing to copy; a reference to the (empty) path reads
    // back as no image.
    if (SaveByReference() || !image_.HasImage()) {
        archive.WriteInt32(kTagImageReference);
    } else if (!image_.WriteCopyBlock(archive, kTagImageCopy)) {
        return false;
    }
    archive.WriteInt32(kTagGrid);
    grid_.Serialize(archive);
    archive.WriteInt32(kTagSets);
    sets_.Serialize(archive);
    archive.WriteInt32(kTagEnd);
    return true;
}

void PlumeData::MarkSaved() {
    ClearChangeFlags();
}

// A reference names a file, not a page: a PDF found there cannot say which page at which
// resolution the document was made from, so it is refused rather than guessed.
bool PlumeData::LoadReferencedImage(const std::string& path) {
    if (!image_.LoadFile(path)) {
        return false;
    }
    if (image_.NeedsEmbeddedCopy()) {
        image_.Release();
        image_.SetTypeCode(ImageStore::kTypeNone);
        return false;
    }
    return true;
}

// The image kept by reference: at its path, else under its bare file name beside the
// document file or in the current folder. Whenever it loads, the document keeps it by
// reference again, so saving never turns a reference into a copy unasked.
bool PlumeData::ReadImageReference(const std::string& documentPath) {
    if (LoadReferencedImage(imagePath_)) {
        saveByReference_ = 1;
        return true;
    }
    const std::filesystem::path name = std::filesystem::path(imagePath_).filename();
    if (name.empty()) {
        return true; // nothing to look for: go on without an image
    }
    // Beside the document first: a document moved together with its image still finds it.
    std::vector<std::filesystem::path> candidates;
    if (!documentPath.empty()) {
        candidates.push_back(std::filesystem::path(documentPath).parent_path() / name);
    }
    candidates.push_back(name);
    for (const std::filesystem::path& candidate : candidates) {
        if (LoadReferencedImage(candidate.string())) {
            imagePath_ = candidate.string();
            saveByReference_ = 1;
            return true;
        }
    }
    return false;
}

bool PlumeData::Read(Archive& archive, const std::string& documentPath) {
    const std::int32_t version = archive.ReadInt32();
    if (version < 2) {
        return false;
    }
    saveByReference_ = 0;
    sortData_ = archive.ReadInt32();
    if (!(version == 2 ? mapping_.ReadOldBlock(archive) : mapping_.Serialize(archive))) {
        return false;
    }
    imagePath_ = archive.ReadString();
    exportPath_ = archive.ReadString();
    if (version < 5) {
        if (sets_.GetCurrent() < 0) {
            CreateDefaultSet();
        }
        const std::int32_t count = archive.ReadInt32();
        if (count < 0 || static_cast<std::size_t>(count) > archive.Remaining() / kOldPointBytes) {
            return false;
        }
        for (std::int32_t i = 0; i < count; ++i) {
            DPoint pixel;
            pixel.x = archive.ReadDouble();
            pixel.y = archive.ReadDouble();
            auto* point = new DbPointRep(pixel);
            SmartPtr<DbPrimRep> primitive(point);
            point->Remap(mapping_);
            sets_.AddPrimitive(primitive, -1);
        }
    }
    for (;;) {
        const std::int32_t tag = archive.ReadInt32();
        bool ok = true;
        switch (tag) {
        case kTagEnd:
            ClearChangeFlags();
            return true;
        case kTagImageReference:
            ok = ReadImageReference(documentPath);
            break;
        case kTagImageLegacy:
        case kTagImageCopy:
            ok = tag == kTagImageCopy ? image_.ReadCopyBlock(archive)
                                      : image_.ReadLegacyBlock(archive);
            if (ok) {
                imagePath_ = documentPath;
            }
            break;
        case kTagGrid:
            ok = grid_.Serialize(archive);
            break;
        case kTagSets:
            ok = sets_.Serialize(archive);
            break;
        default:
            ok = false;
            break;
        }
        if (!ok) {
            return false;
        }
    }
}
