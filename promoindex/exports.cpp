// exports.cpp - the exports of the advertisement object index.
//
// Nothing is kept between calls and no lock is taken: each GetEnumOBJ9 reads
// the Tolvo mode and this PC's HostID anew, runs a frame of its own on its
// stack and hands the host a list that only FreeOBJ9List releases.
#include <optional>

#include "bound_exports.h"
#include "folder_list.h"
#include "promo_objects.h"
#include "promoindex.h"
#include "promoindex_exports.h"

namespace jq::promoindex {
namespace {

constexpr const char* kHostIdKey = "SOFTWARE\\Velmora\\JQPLAN\\Setting\\BS";
constexpr const char* kHostIdValue = "HostID";

uint32_t localHostId() {
    uint32_t hostId = kDefaultHostId;
    platform::machineSetting32(kHostIdKey, kHostIdValue, hostId);
    return hostId;
}

}  // namespace
}  // namespace jq::promoindex

using namespace jq::promoindex;

JQ_CHECK_ARGUMENT_BYTES(PROMOINDEX_EXPORTS)

JQ_API JQStatus JQ_CALL GetEnumOBJ9(OBJ9List* list, const OBJ9FolderList* folders) {
    try {
        const bool everyFile = jq::index::tolvoBesideHost();
        if (list == nullptr) return JQ_ERR_NULL_ARGUMENT;
        std::optional<std::vector<jq::index::PathString>> given;
        if (folders != nullptr) given = jq::index::copyFolderList(folders->count, folders->entries);
        return enumerateObjects(*list, given ? &*given : nullptr, localHostId(),
                                everyFile ? JQ_PATH("*") : JQ_PATH("A*"));
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API void JQ_CALL FreeOBJ9List(OBJ9List* list) {
    try {
        if (list != nullptr) releaseObjectList(*list);
    } catch (...) {
        // Nothing of the host's may be thrown at.
    }
}
