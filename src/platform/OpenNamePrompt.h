#pragma once

#include <string>
#include <vector>

// The platform's open-file dialog: a title, the filters (text and pattern pairs, in order)
// and the index of the filter shown first. On OK it returns true with the chosen path and
// the index of the filter the user ended on.
class OpenNamePrompt {
public:
    struct Filter {
        std::string text;
        std::string pattern;
    };

    virtual ~OpenNamePrompt() = default;
    virtual bool Prompt(const std::string& title, const std::vector<Filter>& filters,
                        int& filterIndex, std::string& path) = 0;
};
