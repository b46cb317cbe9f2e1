#include "mapping/TransformMemento.h"

#include "mapping/TransformData.h"

TransformMemento::TransformMemento(TransformData* data) : AttributeRep(data), transform_(data) {}

TransformMemento::~TransformMemento() = default;

void TransformMemento::Refresh() {
    transform_->FillMemento(*this);
}

void TransformMemento::ResetAndRefresh() {
    transform_->Reset();
    Refresh();
}

std::string TransformMemento::GetKey() const {
    return kKey;
}
