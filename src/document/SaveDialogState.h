#pragma once

#include <string>

// What the save dialog shows and returns: the selected filter (1 to 4, the save-type
// table's order), the file name, and the "Sort Data Points" and "Save Bitmap Copy" check
// boxes with their enabling rules. The platform's dialog shows it and calls SelectFilter
// when the user picks another filter. An image that can only be kept as a copy (a PDF page)
// shows "Save Bitmap Copy" checked and disabled.
class SaveDialogState {
public:
    SaveDialogState(int filter, std::string name, bool sort, bool saveCopy, bool haveImagePath,
                    bool copyRequired = false);

    // The name becomes the current one without its extension (what follows its last ".")
    // followed by the filter's extension; the check boxes are enabled again by the rules.
    void SelectFilter(int filter);
    // The name typed by the user, as the dialog reads it back.
    void SetName(std::string name) { name_ = std::move(name); }
    void SetSort(bool sort) { sort_ = sort; }
    void SetSaveCopy(bool saveCopy) { saveCopy_ = saveCopy; }

    int Filter() const { return filter_; }
    const std::string& Name() const { return name_; }
    bool Sort() const { return sort_; }
    bool SaveCopy() const { return saveCopy_ || copyRequired_; }
    // Sorting means something for text only; a copy of the bitmap for a document file with
    // an image file to refer to instead.
    bool SortEnabled() const;
    bool SaveCopyEnabled() const;
    // The name as saved: a strip-list extension removed, the selected filter's added.
    std::string ChosenName() const;

private:
    int filter_;
    std::string name_;
    bool sort_;
    bool saveCopy_;
    bool haveImagePath_;
    bool copyRequired_;
};
