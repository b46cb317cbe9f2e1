#include "mapping/TransformAxisVw.h"

#include "mapping/TransformData.h"

TransformAxisVw::TransformAxisVw(TransformData* data) : AttributeRep(data), transform_(data) {}

TransformAxisVw::~TransformAxisVw() = default;

void TransformAxisVw::Refresh() {
    transform_->FillAxis(*this);
}

void TransformAxisVw::ResetAndRefresh() {
    transform_->Reset();
    Refresh();
}

std::string TransformAxisVw::GetKey() const {
    return kKey;
}
