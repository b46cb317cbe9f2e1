#pragma once

#include "database/Task.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class PlumeData;

// The tasks that the attributes panel creates for its actions, so that the panel only
// asks and performs. Duplicate names are the panel's check, against its list.
namespace attribute_actions {

// Leading and trailing blanks, tabs and line ends removed.
std::string Trim(std::string_view text);

// Define Attribute: name and value are trimmed. With "Add only to current set" the
// attribute becomes an entry among the current set's points instead of a list attribute.
std::unique_ptr<Task> Define(PlumeData* database, std::string_view name, std::string_view value,
                             bool onlyCurrentSet);
// Edit Attribute: the same name only updates the value (keeping place and check mark); a
// new name deletes the old attribute and adds the new one, active and at the end.
std::unique_ptr<Task> Edit(PlumeData* database, const std::string& oldName,
                           const std::string& newName, const std::string& value,
                           std::int32_t active);
// A click on the check mark.
std::unique_ptr<Task> SetActive(PlumeData* database, const std::string& name,
                                const std::string& value, std::int32_t active);
// The Delete key on the selected attribute.
std::unique_ptr<Task> Delete(PlumeData* database, const std::string& name);

} // namespace attribute_actions
