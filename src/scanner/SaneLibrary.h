#pragma once

#include <sane/sane.h>

#include <string>

// The SANE library, loaded at run time so that a machine without it still runs the program
// (with no scanner). Only its types come from the header at build time.
class SaneLibrary {
public:
    static constexpr const char* kDefaultName = "libsane.so.1";

    explicit SaneLibrary(std::string name = kDefaultName) : name_(std::move(name)) {}
    ~SaneLibrary();
    SaneLibrary(const SaneLibrary&) = delete;
    SaneLibrary& operator=(const SaneLibrary&) = delete;

    // Loads the library and finds every function; false (and nothing loaded) when the
    // library is missing or lacks one of them. Loading a loaded library does nothing.
    bool Load();
    void Unload();
    bool Loaded() const { return handle_ != nullptr; }
    const std::string& Name() const { return name_; }

    SANE_Status (*init)(SANE_Int* version, SANE_Auth_Callback authorize) = nullptr;
    void (*exit)() = nullptr;
    SANE_Status (*get_devices)(const SANE_Device*** list, SANE_Bool localOnly) = nullptr;
    SANE_Status (*open)(SANE_String_Const name, SANE_Handle* handle) = nullptr;
    void (*close)(SANE_Handle handle) = nullptr;
    const SANE_Option_Descriptor* (*get_option_descriptor)(SANE_Handle handle,
                                                           SANE_Int option) = nullptr;
    SANE_Status (*control_option)(SANE_Handle handle, SANE_Int option, SANE_Action action,
                                  void* value, SANE_Int* info) = nullptr;
    SANE_Status (*get_parameters)(SANE_Handle handle, SANE_Parameters* parameters) = nullptr;
    SANE_Status (*start)(SANE_Handle handle) = nullptr;
    SANE_Status (*read)(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength,
                        SANE_Int* length) = nullptr;
    void (*cancel)(SANE_Handle handle) = nullptr;
    SANE_String_Const (*strstatus)(SANE_Status status) = nullptr;

private:
    void Forget();

    std::string name_;
    void* handle_ = nullptr;
};
