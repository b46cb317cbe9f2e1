#include "shell/CPlumeApp.h"

#include "core/ApplicationState.h"
#include "document/CommandIds.h"
#include "document/DocumentServices.h"
#include "platform/IniSettingsProfile.h"
#include "platform/OpenNamePrompt.h"
#include "platform_qt/QtBusyIndicator.h"
#include "platform_qt/QtClipboard.h"
#include "platform_qt/QtMessageService.h"
#include "platform_qt/QtOpenNamePrompt.h"
#include "platform_qt/QtRecentFiles.h"
#include "platform_qt/QtSaveNamePrompt.h"
#include "scanner/QtScannerDialogs.h"
#include "scanner/SaneManagerLoader.h"
#include "shell/AboutDlg.h"
#include "shell/CMainFrame.h"
#include "shell/DocumentManager.h"
#include "shell/ShellIcons.h"
#include "shell/WindowPlacement.h"
#include "view/ViewPrinter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWhatsThis>

#include <clocale>

namespace {

constexpr const char* kWindowPos = "WindowPos";

// The Open dialog's filters: the document templates' and then every file.
const std::vector<OpenNamePrompt::Filter>& OpenFilters() {
    static const std::vector<OpenNamePrompt::Filter> filters{
        {"Tracery Files (*.plm)", "*.plm"},
        {"Image Files (*.bmp;*.dib;*.tif;*.tiff;*.png;*.jpg;*.jpeg;*.gif;*.webp)",
         "*.bmp;*.dib;*.tif;*.tiff;*.png;*.jpg;*.jpeg;*.gif;*.webp"},
        {"PDF Files (*.pdf)", "*.pdf"},
        {"All Files (*.*)", "*.*"},
    };
    return filters;
}

} // namespace

CPlumeApp::CPlumeApp(std::string settingsPath) : settingsPath_(std::move(settingsPath)) {
    profile_ = std::make_unique<IniSettingsProfile>(settingsPath_);
    scannerDialogs_ = std::make_unique<QtScannerDialogs>();
    scannerLoader_ = std::make_unique<SaneManagerLoader>(*scannerDialogs_, profile_.get());
    scannerScope_ = std::make_unique<SourceManagerLibrary::Scope>(scannerLoader_.get());
}

CPlumeApp::~CPlumeApp() {
    frame_.reset();
}

bool CPlumeApp::InitInstance(const std::vector<std::string>& files) {
    QCoreApplication::setOrganizationName(kCompany);
    QCoreApplication::setApplicationName(kAppName);
    QApplication::setWindowIcon(ShellIcons::Application());
    // Ties the windows to the installed desktop entry (its icon and name in task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvane.Tracery"));
    preferences_.Load(*profile_);
    recent_ = std::make_unique<QtRecentFiles>(*profile_, [this] {
        if (!settingsPath_.empty()) {
            profile_->Save();
        }
    });

    messages_ = std::make_unique<QtMessageService>(nullptr);
    savePrompt_ = std::make_unique<QtSaveNamePrompt>(nullptr);
    openPrompt_ = std::make_unique<QtOpenNamePrompt>(nullptr);
    clipboard_ = std::make_unique<QtClipboard>();
    busy_ = std::make_unique<QtBusyIndicator>();
    DocumentServices services;
    services.messages = messages_.get();
    services.savePrompt = savePrompt_.get();
    services.clipboard = clipboard_.get();
    services.busy = busy_.get();
    services.recentFiles = recent_.get();
    services.preferences = &preferences_;
    frame_ = std::make_unique<CMainFrame>(&preferences_, services);
    frame_->SetApplicationHandler([this](int id) { RunCommand(id); });
    frame_->SetCloseRequestHandler([this] { SaveWindowPlacement(); });
    recent_->changed = [this] { RebuildRecentMenu(); };
    RebuildRecentMenu();

    // Every file given opens as a document of its own (a desktop passes all the files a
    // person chose). One that cannot be opened has said why; the start-up ends only when
    // none could be.
    std::size_t opened = 0;
    for (const std::string& file : files) {
        if (frame_->Documents().OpenFile(file) != nullptr) {
            ++opened;
        }
    }
    if (!files.empty() && opened == 0) {
        return false;
    }

    bool maximise = false;
    if (const auto placement =
            WindowPlacement::Parse(profile_->GetString(CPreferences::kSection, kWindowPos, ""))) {
        maximise = placement->ApplyTo(*frame_);
    } else {
        frame_->resize(1024, 720);
    }
    if (maximise) {
        frame_->showMaximized();
    } else {
        frame_->show();
    }
    return true;
}

void CPlumeApp::ExitInstance() {
    preferences_.Save(*profile_);
    if (!settingsPath_.empty()) {
        profile_->Save();
    }
}

void CPlumeApp::SaveWindowPlacement() {
    profile_->WriteString(CPreferences::kSection, kWindowPos,
                          WindowPlacement::Of(*frame_).Format());
    if (!settingsPath_.empty()) {
        profile_->Save();
    }
}

void CPlumeApp::RebuildRecentMenu() {
    frame_->SetRecentFiles(recent_->Paths(), [this](const std::string& path) {
        if (frame_->Documents().OpenFile(path) == nullptr) {
            recent_->Remove(path);
        }
    });
}

void CPlumeApp::OpenWithPrompt() {
    int& remembered = ApplicationState::Current().openFilterIndex;
    int index = remembered;
    std::string path;
    if (!openPrompt_->Prompt("Open", OpenFilters(), index, path)) {
        return;
    }
    remembered = index;
    frame_->Documents().OpenFile(path);
}

void CPlumeApp::RunCommand(int id) {
    switch (id) {
    case kFileNew:
        frame_->Documents().NewDocument();
        break;
    case kFileOpen:
        OpenWithPrompt();
        break;
    case kAppExit:
        frame_->close();
        break;
    case kContextHelp:
        // The next click on a menu item, button or control shows its prompt.
        QWhatsThis::enterWhatsThisMode();
        break;
    case kPrintSetup:
        ViewPrinter::PageSetup(frame_.get());
        break;
    case kAppAbout: {
        AboutDlg about(frame_.get());
        about.exec();
        break;
    }
    default:
        break;
    }
}

int RunWindowProgram(int argc, char** argv) {
    QApplication application(argc, argv);
    // Numbers in status texts and files are written the same whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");
    ApplicationState::Scope state;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        files.emplace_back(argv[i]);
    }
    CPlumeApp app(IniSettingsProfile::DefaultPath());
    if (!app.InitInstance(files)) {
        return 1;
    }
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
