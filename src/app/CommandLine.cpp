#include "app/CommandLine.h"

#include "app/CoreDemo.h"
#include "app/HeadlessMessages.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "document/CPlumeDoc.h"
#include "platform/IniSettingsProfile.h"

#include <string>

namespace {

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

void PrintUsage(std::ostream& err) {
    err << "usage: tracery --export OUTPUT INPUT   open INPUT (image or document) and save it as "
           "OUTPUT\n"
           "                                       (.plm document, .txt space-separated, .csv "
           "comma-\n"
           "                                       separated, .bmp image; any other name as .txt)\n"
           "       tracery --info INPUT            print the image information of INPUT\n"
           "       tracery --demo                  map a few pixel positions of an example "
           "region\n";
}

// An opened image takes the preferences that the window program would use.
void LoadStoredPreferences(CPreferences& preferences) {
    const std::string path = IniSettingsProfile::DefaultPath();
    if (!path.empty()) {
        preferences.Load(IniSettingsProfile(path));
    }
}

} // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    // This run of the program owns the process-wide values.
    ApplicationState::Scope state;
    const std::string command = argc >= 2 ? argv[1] : "";
    if (command == "--demo" && argc == 2) {
        return RunCoreDemo(out);
    }
    const bool exporting = command == "--export" && argc == 4;
    const bool informing = command == "--info" && argc == 3;
    if (!exporting && !informing) {
        PrintUsage(err);
        return kUsage;
    }
    HeadlessMessages messages(err);
    CPreferences preferences;
    LoadStoredPreferences(preferences);
    DocumentServices services;
    services.messages = &messages;
    services.preferences = &preferences;
    CPlumeDoc document(services);
    const std::string input = argv[exporting ? 3 : 2];
    if (!document.OpenDocument(input)) {
        return kFailed;
    }
    if (informing) {
        std::string text = document.ImageInformationText();
        std::string lines;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                continue;
            }
            lines.push_back(text[i]);
        }
        out << lines;
        return kSuccess;
    }
    return document.SaveDocument(argv[2]) ? kSuccess : kFailed;
}
