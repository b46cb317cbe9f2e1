#pragma once

#include "core/CPreferences.h"
#include "twain/SourceManagerLibrary.h"

#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class IniSettingsProfile;
class QtBusyIndicator;
class QtClipboard;
class QtMessageService;
class QtOpenNamePrompt;
class QtRecentFiles;
class QtSaveNamePrompt;
class QtScannerDialogs;
class SaneManagerLoader;

// The window program: reads the preferences and the recent files from the settings file
// the command line uses too, makes the main window, opens the files of the command line,
// restores the window's placement, and writes the preferences back at exit.
class CPlumeApp {
public:
    static constexpr const char* kCompany = "Corvane";
    static constexpr const char* kAppName = "Corvane Tracery";

    // settingsPath: the settings file ("" for none: nothing is read or written).
    explicit CPlumeApp(std::string settingsPath);
    ~CPlumeApp();
    CPlumeApp(const CPlumeApp&) = delete;
    CPlumeApp& operator=(const CPlumeApp&) = delete;

    // Start-up: false when the program must end (a file that could not be opened).
    bool InitInstance(const std::vector<std::string>& files);
    // Writes the preferences.
    void ExitInstance();

    CMainFrame& MainFrame() { return *frame_; }
    CPreferences& Preferences() { return preferences_; }
    QtRecentFiles& RecentFiles() { return *recent_; }

    // File > New, File > Open..., Exit, About: the application's commands.
    void RunCommand(int id);
    void OpenWithPrompt();

private:
    void SaveWindowPlacement();
    void RebuildRecentMenu();

    std::string settingsPath_;
    std::unique_ptr<IniSettingsProfile> profile_;
    // The scanners: SANE's devices behind the source manager the main window talks to.
    std::unique_ptr<QtScannerDialogs> scannerDialogs_;
    std::unique_ptr<SaneManagerLoader> scannerLoader_;
    std::unique_ptr<SourceManagerLibrary::Scope> scannerScope_;
    CPreferences preferences_;
    std::unique_ptr<QtMessageService> messages_;
    std::unique_ptr<QtSaveNamePrompt> savePrompt_;
    std::unique_ptr<QtOpenNamePrompt> openPrompt_;
    std::unique_ptr<QtClipboard> clipboard_;
    std::unique_ptr<QtBusyIndicator> busy_;
    std::unique_ptr<QtRecentFiles> recent_;
    std::unique_ptr<CMainFrame> frame_;
};

// main() of the window program; returns the exit status.
int RunWindowProgram(int argc, char** argv);
