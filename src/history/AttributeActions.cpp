#include "history/AttributeActions.h"

#include "database/DbAttPrimRep.h"
#include "history/AddAttTask.h"
#include "history/DeleteAttTask.h"
#include "history/PrimTask.h"
#include "history/TaskSet.h"
#include "history/UpdateAttTask.h"

namespace attribute_actions {

std::string Trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return std::string();
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return std::string(text.substr(first, last - first + 1));
}

std::unique_ptr<Task> Define(PlumeData* database, std::string_view name, std::string_view value,
                             bool onlyCurrentSet) {
    std::string trimmedName = Trim(name);
    std::string trimmedValue = Trim(value);
    if (onlyCurrentSet) {
        SmartPtr<DbAttRep> attribute(
            new DbAttRep(std::move(trimmedName), std::move(trimmedValue), 1));
        return std::make_unique<PrimTask>(database,
                                          SmartPtr<DbPrimRep>(new DbAttPrimRep(attribute)));
    }
    return std::make_unique<AddAttTask>(database, std::move(trimmedName), std::move(trimmedValue));
}

std::unique_ptr<Task> Edit(PlumeData* database, const std::string& oldName,
                           const std::string& newName, const std::string& value,
                           std::int32_t active) {
    if (newName == oldName) {
        return std::make_unique<UpdateAttTask>(database, newName, value, active);
    }
    auto rename = std::make_unique<TaskSet>(database);
    rename->Add(std::make_unique<DeleteAttTask>(database, oldName));
    rename->Add(std::make_unique<AddAttTask>(database, newName, value));
    return rename;
}

std::unique_ptr<Task> SetActive(PlumeData* database, const std::string& name,
                                const std::string& value, std::int32_t active) {
    return std::make_unique<UpdateAttTask>(database, name, value, active);
}

std::unique_ptr<Task> Delete(PlumeData* database, const std::string& name) {
    return std::make_unique<DeleteAttTask>(database, name);
}

} // namespace attribute_actions
