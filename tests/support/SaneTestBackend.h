#pragma once

// SANE's built-in `test` backend for the scanner tests: a folder holding a dll.conf that
// names only `test` and a test.conf of the test's own, with SANE_CONFIG_DIR pointing at it
// while the object lives. The backend's devices test:0 and test:1 then appear at once.

#include "scanner/ScannerDialogs.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

class SaneTestBackend {
public:
    // test.conf's lines, by key; a test changes what it needs before Install.
    std::map<std::string, std::string> conf{
        {"number_of_devices", "2"},
        {"mode", "Gray"},
        {"depth", "8"},
        {"resolution_min", "1.0"},
        {"resolution_max", "1200.0"},
        {"resolution_quant", "1.0"},
        {"resolution", "50.0"},
        {"test-picture", "\"Solid black\""},
        {"read-delay", "false"},
        {"read-delay-duration", "1000"},
        {"read-status-code", "\"Default\""},
        {"geometry_min", "0.0"},
        {"geometry_max", "200.0"},
        {"geometry_quant", "1.0"},
        {"tl_x", "0.0"},
        {"tl_y", "0.0"},
        {"br_x", "80.0"},
        {"br_y", "100.0"},
    };

    SaneTestBackend() {
        const char* old = std::getenv("SANE_CONFIG_DIR");
        hadOld_ = old != nullptr;
        old_ = hadOld_ ? old : "";
    }
    ~SaneTestBackend() {
        if (hadOld_) {
            setenv("SANE_CONFIG_DIR", old_.c_str(), 1);
        } else {
            unsetenv("SANE_CONFIG_DIR");
        }
    }
    SaneTestBackend(const SaneTestBackend&) = delete;
    SaneTestBackend& operator=(const SaneTestBackend&) = delete;

    // Writes the files into a fresh folder and points SANE at it; SANE reads them when it
    // is initialised next.
    void Install() {
        folders_.push_back(std::make_unique<QTemporaryDir>());
        ASSERT_TRUE(folders_.back()->isValid());
        const std::string folder = folders_.back()->path().toStdString();
        std::ofstream(folder + "/dll.conf") << "test\n";
        std::ofstream out(folder + "/test.conf");
        for (const auto& [key, value] : conf) {
            out << key << ' ' << value << '\n';
        }
        out.close();
        setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
    }

private:
    bool hadOld_ = false;
    std::string old_;
    std::vector<std::unique_ptr<QTemporaryDir>> folders_;
};

// The source manager's windows answered as a test scripts them, with what they were shown.
class ScriptedScannerDialogs : public ScannerDialogs {
public:
    class ScriptedProgress : public Progress {
    public:
        explicit ScriptedProgress(ScriptedScannerDialogs& owner) : owner_(owner) {}
        bool Step(int page, std::uint64_t, std::uint64_t) override {
            owner_.pages.push_back(page);
            ++owner_.steps;
            return owner_.cancelAtStep == 0 || owner_.steps < owner_.cancelAtStep;
        }

    private:
        ScriptedScannerDialogs& owner_;
    };

    std::optional<std::size_t> ChooseDevice(TW_HANDLE parent, const std::vector<Device>& devices,
                                            std::size_t current) override {
        listsShown.push_back(devices);
        parents.push_back(parent);
        startedOn.push_back(current);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].name == choose) {
                return i;
            }
        }
        return std::nullopt;
    }
    bool AskScan(TW_HANDLE parent, const std::string& device, ScanSettings& settings) override {
        shown.push_back(settings);
        parents.push_back(parent);
        devicesScanned.push_back(device);
        if (!mode.empty()) {
            settings.mode = mode;
        }
        if (resolution != 0) {
            settings.resolution = resolution;
        }
        if (!source.empty()) {
            settings.source = source;
        }
        return scan;
    }
    std::unique_ptr<Progress> ShowProgress(TW_HANDLE) override {
        ++progressWindows;
        return std::make_unique<ScriptedProgress>(*this);
    }

    // The device chosen by name; none: the choice is cancelled.
    std::string choose = "test:0";
    // What Scan sets (empty or 0: as shown); false: Cancel.
    std::string mode;
    int resolution = 0;
    std::string source;
    bool scan = true;
    // The progress step that answers Cancel (1 the first); 0: none.
    int cancelAtStep = 0;

    std::vector<std::vector<Device>> listsShown;
    std::vector<std::size_t> startedOn;
    std::vector<ScanSettings> shown;
    std::vector<std::string> devicesScanned;
    std::vector<TW_HANDLE> parents;
    std::vector<int> pages;
    int steps = 0;
    int progressWindows = 0;
};
