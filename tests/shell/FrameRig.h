#pragma once

// A main window with its document windows, shown, over fake platform services, for the
// shell's tests.

#include "FakePlatform.h"
#include "SeededBitmap.h"
#include "core/ApplicationState.h"
#include "core/CPreferences.h"
#include "image/BmpCodec.h"
#include "shell/CMainFrame.h"
#include "shell/CommandActions.h"
#include "shell/DocumentManager.h"

#include <QAction>
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

struct FrameRig {
    FrameRig() {
        EXPECT_TRUE(folder.isValid());
        DocumentServices services = platform.Services();
        services.preferences = &preferences;
        services.views = nullptr;
        frame = std::make_unique<CMainFrame>(&preferences, services);
        frame->resize(1000, 700);
        frame->show();
    }
    std::string Image(const std::string& name, int width = 120, int height = 80) {
        const std::string path = folder.filePath(QString::fromStdString(name)).toStdString();
        EXPECT_TRUE(BmpCodec::Save(SeededBitmap(width, height, 24, 5), path));
        return path;
    }
    bool Enabled(int id) {
        frame->RefreshCommands();
        return frame->Actions().Action(id)->isEnabled();
    }
    bool Checked(int id) {
        frame->RefreshCommands();
        return frame->Actions().Action(id)->isChecked();
    }
    bool MenuShown(const QString& title) const {
        for (QAction* action : frame->menuBar()->actions()) {
            if (action->text() == title) {
                return action->isVisible();
            }
        }
        return false;
    }

    ApplicationState::Scope state;
    QTemporaryDir folder;
    FakePlatform platform;
    CPreferences preferences;
    std::unique_ptr<CMainFrame> frame;
};
