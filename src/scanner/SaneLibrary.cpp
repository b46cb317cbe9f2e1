#include "scanner/SaneLibrary.h"

#include <dlfcn.h>

namespace {

template <typename Function> bool Find(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

} // namespace

SaneLibrary::~SaneLibrary() {
    Unload();
}

bool SaneLibrary::Load() {
    if (handle_ != nullptr) {
        return true;
    }
    handle_ = dlopen(name_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        return false;
    }
    const bool complete = Find(handle_, "sane_init", init) && Find(handle_, "sane_exit", exit) &&
                          Find(handle_, "sane_get_devices", get_devices) &&
                          Find(handle_, "sane_open", open) && Find(handle_, "sane_close", close) &&
                          Find(handle_, "sane_get_option_descriptor", get_option_descriptor) &&
                          Find(handle_, "sane_control_option", control_option) &&
                          Find(handle_, "sane_get_parameters", get_parameters) &&
                          Find(handle_, "sane_start", start) && Find(handle_, "sane_read", read) &&
                          Find(handle_, "sane_cancel", cancel) &&
                          Find(handle_, "sane_strstatus", strstatus);
    if (!complete) {
        Unload();
    }
    return complete;
}

void SaneLibrary::Unload() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    Forget();
}

void SaneLibrary::Forget() {
    init = nullptr;
    exit = nullptr;
    get_devices = nullptr;
    open = nullptr;
    close = nullptr;
    get_option_descriptor = nullptr;
    control_option = nullptr;
    get_parameters = nullptr;
    start = nullptr;
    read = nullptr;
    cancel = nullptr;
    strstatus = nullptr;
}
