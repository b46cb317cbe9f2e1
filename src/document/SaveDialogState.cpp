#include "document/SaveDialogState.h"

#include "document/SaveTypes.h"

SaveDialogState::SaveDialogState(int filter, std::string name, bool sort, bool saveCopy,
                                 bool haveImagePath, bool copyRequired)
    : filter_(filter), name_(std::move(name)), sort_(sort), saveCopy_(saveCopy),
      haveImagePath_(haveImagePath), copyRequired_(copyRequired) {}

void SaveDialogState::SelectFilter(int filter) {
    filter_ = filter;
    const std::size_t dot = name_.rfind('.');
    if (dot != std::string::npos) {
        name_.resize(dot);
    }
    name_ += SaveTypes::At(filter_).extension;
}

bool SaveDialogState::SortEnabled() const {
    return filter_ == SaveTypes::kText || filter_ == SaveTypes::kComma;
}

bool SaveDialogState::SaveCopyEnabled() const {
    return filter_ == SaveTypes::kDocument && haveImagePath_ && !copyRequired_;
}

std::string SaveDialogState::ChosenName() const {
    return SaveTypes::StripExtension(name_) + SaveTypes::At(filter_).extension;
}
