#include "mapping/RegGridVw.h"

#include "mapping/RegGridData.h"

RegGridVw::RegGridVw(RegGridData* data) : AttributeRep(data), grid_(data) {}

RegGridVw::~RegGridVw() = default;

void RegGridVw::Refresh() {
    if (grid_ != nullptr) {
        grid_->FillView(*this);
    }
}

void RegGridVw::ResetAndRefresh() {
    Refresh();
}
