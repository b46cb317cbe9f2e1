#include "mapping/TransformPpiVw.h"

#include "mapping/TransformData.h"

TransformPpiVw::TransformPpiVw(TransformData* data) : AttributeRep(data), transform_(data) {}

TransformPpiVw::~TransformPpiVw() = default;

void TransformPpiVw::Refresh() {
    transform_->FillPpi(*this);
}

void TransformPpiVw::ResetAndRefresh() {
    transform_->Reset();
    Refresh();
}

std::string TransformPpiVw::GetKey() const {
    return kKey;
}
