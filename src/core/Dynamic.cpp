#include "core/Dynamic.h"

namespace dynamic {
namespace {
factory_list_ele*& Head() {
    static factory_list_ele* head = nullptr;
    return head;
}
} // namespace

factory_list_ele::factory_list_ele(const abstract_factory* made) : factory(made) {
    next = Head();
    Head() = this;
}

factory_list_ele::~factory_list_ele() {
    for (factory_list_ele** link = &Head(); *link != nullptr; link = &(*link)->next) {
        if (*link == this) {
            *link = next;
            break;
        }
    }
}

std::unique_ptr<object> CreateByTypeName(std::string_view typeName) {
    for (factory_list_ele* node = Head(); node != nullptr; node = node->next) {
        if (std::unique_ptr<object> made = node->factory->Create(typeName)) {
            return made;
        }
    }
    return nullptr;
}

} // namespace dynamic
