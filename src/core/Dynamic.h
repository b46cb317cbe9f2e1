#pragma once

#include <memory>
#include <string_view>

// Creating records from the type names stored in document files.
namespace dynamic {

// The root of every record that is saved through a shared-object record. TypeName is the
// stored run-time name, "class " followed by the class name.
class object {
public:
    virtual ~object() = default;
    virtual const char* TypeName() const = 0;
};

class abstract_factory {
public:
    virtual ~abstract_factory() = default;
    // A new object when the name is that of the type this factory makes, else null.
    virtual std::unique_ptr<object> Create(std::string_view typeName) const = 0;
};

// A node of the process-wide registry; constructing one pushes it at the head of the list,
// destroying it unlinks it.
class factory_list_ele {
public:
    explicit factory_list_ele(const abstract_factory* factory);
    ~factory_list_ele();
    factory_list_ele(const factory_list_ele&) = delete;
    factory_list_ele& operator=(const factory_list_ele&) = delete;

    factory_list_ele* next = nullptr;
    const abstract_factory* factory;
};

// Makes a default-constructed T for T's exact type name (case-sensitive).
template <typename T> class factory : public abstract_factory {
public:
    factory() : node_(this) {}
    std::unique_ptr<object> Create(std::string_view typeName) const override {
        return typeName == T::kTypeName ? std::make_unique<T>() : nullptr;
    }

private:
    factory_list_ele node_;
};

// Walks the registry from the head; the first factory that accepts the name decides.
std::unique_ptr<object> CreateByTypeName(std::string_view typeName);

} // namespace dynamic
