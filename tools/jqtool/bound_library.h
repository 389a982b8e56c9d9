// bound_library.h - an index library loaded from beside jqtool, with the
// exports of its list bound by name.
#pragma once

#include <string>

#include "bound_exports.h"
#include "platform.h"

namespace jqtool {

// Exports is a JQ_BOUND_EXPORTS struct of the library's export list.
template <typename Exports>
struct BoundLibrary : Exports {
    jq::platform::Module module;

    // baseName is the library's name without prefix or extension, as
    // JQ_PATH("newsindex"); the error text names what failed.
    bool load(const JQChar* baseName, const char* name, std::string& error) {
        const jq::platform::PathString path =
            jq::platform::pathBesideHost(jq::platform::sharedLibraryFileName(baseName).c_str());
        module = jq::platform::Module::load(path.c_str());
        if (!module.isLoaded()) {
            error = std::string("cannot load the ") + name + " library beside jqtool";
            return false;
        }
        if (const char* missing = this->bind(module)) {
            error = std::string(name) + " lacks the export " + missing;
            return false;
        }
        return true;
    }
};

}  // namespace jqtool
