#include "app/HeadlessMessages.h"

void HeadlessMessages::ShowMessage(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (c == '\n') {
            c = ' ';
        }
    }
    err_ << line << '\n';
    err_.flush();
}
