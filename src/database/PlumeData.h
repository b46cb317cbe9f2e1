#pragma once

#include "core/Geometry.h"
#include "database/Database.h"
#include "database/DbSetMgr.h"
#include "image/ImageStore.h"
#include "mapping/RegGridData.h"
#include "mapping/TransformData.h"

#include <cstdint>
#include <memory>
#include <string>

class Archive;
class CPreferences;
class DrawContext;

// What the database tells the document that owns it.
class DocumentLink {
public:
    virtual ~DocumentLink() = default;
    virtual void SetModified(bool modified) = 0;
};

// The database of one document: data sets, mapping, grid settings, image, the change
// flags and update hint, and (through Database) the undo/redo history. Tasks change the
// document only through its operations.
//
// The database block of the document file, version 5:
//   int32 5, int32 sort data, mapping record, string image path, string export path,
//   tagged blocks: 1001 (image by reference, nothing follows) or 1004 (image copy),
//   1003 grid block, 1005 set-manager block, then int32 -1.
// Readers take versions 2 to 5 (2: the older mapping block; below 5: stored points after
// the strings) and the blocks in any order, 1002 (older image copy) included.
class PlumeData : public Database {
public:
    // Update hints: what the views redraw after a task.
    static constexpr std::int32_t kHintData = 0;
    static constexpr std::int32_t kHintImageChanged = 1;
    static constexpr std::int32_t kHintImagePasted = 2;
    static constexpr std::int32_t kHintSetChosen = 3;

    static constexpr std::int32_t kTagImageReference = 1001;
    static constexpr std::int32_t kTagImageLegacy = 1002;
    static constexpr std::int32_t kTagGrid = 1003;
    static constexpr std::int32_t kTagImageCopy = 1004;
    static constexpr std::int32_t kTagSets = 1005;
    static constexpr std::int32_t kTagEnd = -1;

    explicit PlumeData(DocumentLink* document = nullptr);
    ~PlumeData() override;

    void OnChanged() override;

    void CreateDefaultSet();
    std::int32_t NewSet(const std::string& name);
    std::int32_t AddPrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex);
    void RemovePrimitive(const SmartPtr<DbPrimRep>& primitive, std::int32_t setIndex);
    std::unique_ptr<DbMemento> ClearAll();
    std::unique_ptr<DbMemento> ClearCurrentSet();
    std::unique_ptr<DbMemento> DeleteCurrentSet();
    std::unique_ptr<DbMemento> DeleteSet(std::int32_t index);
    void Restore(std::unique_ptr<DbMemento> memento);
    // Not a task: the data-sets box chooses the current set.
    void ChooseSet(std::int32_t index);
    void AddAttribute(const SmartPtr<DbAttRep>& attribute);
    std::optional<SmartPtr<DbAttRep>> RemoveAttribute(const std::string& name);
    std::optional<SmartPtr<DbAttRep>> ReplaceAttribute(const SmartPtr<DbAttRep>& attribute);
    bool FlipImageHorizontal();
    bool FlipImageVertical();
    bool RotateImage(int degrees);
    // The store takes a copy of the image; hint 2 for a paste, 1 for a crop, 0 on open.
    void ReplaceImage(const ImageStore& image, std::int32_t hint);
    // The same, taking the other store's bitmap instead of copying it (an opened file).
    void ReplaceImage(ImageStore&& image, std::int32_t hint);

    void ApplyPreferences(const CPreferences& preferences);
    void NotifyAll();
    void DrawSets(DrawContext& context);
    void DrawMapping(DrawContext& context);
    void ExportText(std::string& text, std::string_view separator) const;
    // The graph size of one logical unit at a pointer (its image-pixel and logical position
    // at the zoom scale), per axis, to digits + 1 significant figures; 0 on an axis where it
    // is 0 or cannot be told.
    DPoint PixelResolution(const DPoint& pixel, const IPoint& logical, double scale,
                           int digits) const;
    bool HasGridSnap() const;

    // Writes or reads the database block. documentPath is the file being read: an embedded
    // image takes it as its image path.
    bool Serialize(Archive& archive, const std::string& documentPath = std::string());
    // After the written block is safely in its file: nothing is modified any more. (Writing
    // alone does not clear the flags: a file that then fails to be written must leave the
    // document modified.)
    void MarkSaved();

    // "AttTransform" the mapping, "AttRegGrid" the grid settings; null for any other key.
    AttributeData* GetAttributeData(std::string_view key);

    ImageStore& Image() { return image_; }
    const ImageStore& Image() const { return image_; }
    DbSetMgr& SetManager() { return sets_; }
    const DbSetMgr& SetManager() const { return sets_; }
    DbAttMgrRep& AttributeManager() { return *sets_.GetAttributeManager(); }
    TransformData& Mapping() { return mapping_; }
    const TransformData& Mapping() const { return mapping_; }
    RegGridData& Grid() { return grid_; }
    const RegGridData& Grid() const { return grid_; }

    const std::string& ImagePath() const { return imagePath_; }
    void SetImagePath(const std::string& path) { imagePath_ = path; }
    const std::string& ExportPath() const { return exportPath_; }
    void SetExportPath(const std::string& path) { exportPath_ = path; }
    std::int32_t UpdateHint() const { return updateHint_; }
    // Reads the pending hint and resets it to 0.
    std::int32_t TakeUpdateHint();
    bool ImageModified() const { return imageModified_ != 0; }
    void SetImageModified(bool modified) { imageModified_ = modified ? 1 : 0; }
    bool DataModified() const { return dataModified_ != 0; }
    void SetDataModified(bool modified) { dataModified_ = modified ? 1 : 0; }
    bool ImageSet() const { return imageSet_ != 0; }
    bool SortData() const { return sortData_ != 0; }
    void SetSortData(bool sort) { sortData_ = sort ? 1 : 0; }
    // The stored choice, except that an image which cannot be read again from its path (a
    // PDF page) is always saved as a copy, whatever the flag says.
    bool SaveByReference() const { return saveByReference_ != 0 && !image_.NeedsEmbeddedCopy(); }
    void SetSaveByReference(bool byReference) { saveByReference_ = byReference ? 1 : 0; }

private:
    bool Write(Archive& archive);
    bool Read(Archive& archive, const std::string& documentPath);
    bool ReadImageReference(const std::string& documentPath);
    bool LoadReferencedImage(const std::string& path);
    void ClearChangeFlags();
    // A flip or rotation: the image is modified and the views redraw it.
    void MarkImageChanged();

    DocumentLink* document_;
    DbSetMgr sets_;
    TransformData mapping_;
    RegGridData grid_;
    std::string imagePath_;
    std::string exportPath_;
    ImageStore image_;
    std::int32_t updateHint_ = 0;
    std::int32_t imageModified_ = 0;
    std::int32_t dataModified_ = 0;
    std::int32_t imageSet_ = 0;
    std::int32_t sortData_ = 1;
    std::int32_t saveByReference_ = 0;
};
