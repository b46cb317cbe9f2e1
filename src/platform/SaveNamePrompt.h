#pragma once

#include <string>
#include <vector>

class SaveDialogState;

// The platform's save-file dialog with the two extra check boxes. The dialog shows the
// state's filters, name and check boxes, tells the state when the user picks another
// filter, and returns true on OK with the state holding what was chosen.
class SaveNamePrompt {
public:
    virtual ~SaveNamePrompt() = default;
    virtual bool Prompt(SaveDialogState& state, const std::string& title) = 0;
};
