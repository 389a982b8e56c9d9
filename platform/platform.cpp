// platform.cpp - the parts of the interface that are the same on every
// backend, written in terms of the backend's own functions.
#include "platform.h"

namespace jq::platform {

PathString pathBesideHost(const JQChar* fileName) {
    const PathString folder = hostExecutableFolder();
    if (folder.empty()) return {};
    return folder + fileName;
}

// --- Module -------------------------------------------------------------------

Module::Module(Module&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

Module& Module::operator=(Module&& other) noexcept {
    if (this != &other) {
        unload();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

Module::~Module() { unload(); }

}  // namespace jq::platform
