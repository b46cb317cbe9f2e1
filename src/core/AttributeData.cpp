#include "core/AttributeData.h"

AttributeRep::AttributeRep(AttributeData* data) : data_(data) {
    if (data_ != nullptr) {
        Attach(data_);
    }
}

std::string AttributeRep::GetKey() const {
    return " ";
}
