#include "app/CommandLine.h"

#include "app/CoreDemo.h"
#include "app/HeadlessMessages.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "document/CPlumeDoc.h"
#include "image/PdfDocument.h"
#include "platform/IniSettingsProfile.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
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
           "region\n"
           "  before INPUT, for a PDF: --page N (from 1, default 1) and --dpi D (resolution,\n"
           "  default 150)\n";
}

struct Request {
    bool exporting = false;
    std::string output;
    std::string input;
    PdfPageChoice page;
};

bool ParsePage(const std::string& text, int& page) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 9) {
        return false;
    }
    page = std::stoi(text);
    return page >= 1;
}

bool ParseDpi(const std::string& text, double& dpi) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0) {
        return false;
    }
    dpi = value;
    return true;
}

// --export OUTPUT, or --info, then any of --page N and --dpi D once each, then INPUT.
bool ParseRequest(int argc, const char* const* argv, Request& request) {
    const std::string command = argc >= 2 ? argv[1] : "";
    int next = 2;
    if (command == "--export" && argc >= 4) {
        request.exporting = true;
        request.output = argv[next++];
    } else if (command != "--info") {
        return false;
    }
    bool havePage = false;
    bool haveDpi = false;
    while (next + 1 < argc) {
        const std::string option = argv[next];
        const std::string value = argv[next + 1];
        if (option == "--page" && !havePage && ParsePage(value, request.page.page)) {
            havePage = true;
        } else if (option == "--dpi" && !haveDpi && ParseDpi(value, request.page.dpi)) {
            haveDpi = true;
        } else {
            return false;
        }
        next += 2;
    }
    if (next != argc - 1) {
        return false;
    }
    request.input = argv[next];
    return true;
}

// A page past the end of a PDF is named as such; the document's own messages would only
// call the file unknown.
bool PageExists(const Request& request, std::ostream& err) {
    const std::unique_ptr<PdfDocument> pdf = PdfDocument::OpenFile(request.input);
    if (pdf && request.page.page > pdf->PageCount()) {
        err << "tracery: " << request.input << " has " << pdf->PageCount()
            << (pdf->PageCount() == 1 ? " page" : " pages") << ", not " << request.page.page
            << "\n";
        return false;
    }
    return true;
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
    Request request;
    if (!ParseRequest(argc, argv, request)) {
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
    if (!PageExists(request, err) || !document.OpenDocument(request.input, request.page)) {
        return kFailed;
    }
    if (!request.exporting) {
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
    return document.SaveDocument(request.output) ? kSuccess : kFailed;
}
