// exports.cpp - the exports of the JQID index: its state, the library lock
// and the wrapper every query runs in.
//
// States: without a context the library is not initialised; with a context
// but feedcore unloaded (a failed load) it is empty and answers as not
// initialised after checking the output argument; with feedcore loaded it
// answers from its tables.
#include "bound_exports.h"
#include "idindex.h"
#include "idindex_exports.h"
#include "index_frame.h"
#include "jqid_entries.h"
#include "jqid_queries.h"
#include "jqid_tables.h"
#include "library_state.h"

namespace jq::idindex {
namespace {

constexpr uint8_t kJqidTableType = 223;
constexpr uint32_t kNoAnswer = 0;  // the yes/no exports' not-initialised answer

bool takesType(uint32_t typeCode) { return typeCode == kJqidTableType; }

// Files whose current GRT carries the update flag (bit 7 of the packet
// header's first byte) load in the second pass, so their tables win. A
// package without packet header bytes gives no flag: its file is skipped.
index::Pass passOf(const JQChar*, const IndexEntry& entry) {
    ByteReader header(entry.packetHeader, entry.packetHeaderLength);
    const uint8_t first = header.u8();
    if (!header.ok()) return index::Pass::Skip;
    return (first & 0x80) != 0 ? index::Pass::Second : index::Pass::First;
}

index::LibraryRule jqidRule() {
    return {JQ_PATH("JQID.ini"), {JQ_PATH("G*"), takesType, passOf}, index::LoadKind::Packages};
}

using IndexContext = index::IndexFrame<JqidTables>;
using Scope = index::ExportScope<IndexContext>;

// Created when the library is loaded, destroyed when it is unloaded.
index::LibraryState<IndexContext> library{JQ_ERR_NOT_INITIALIZED};

Filter filterOf(uint32_t effectiveOnly) {
    Filter filter;
    filter.effectiveOnly = effectiveOnly == 1;
    if (filter.effectiveOnly) filter.now = dayZeroTimeNow();
    return filter;
}

uint32_t found(uint64_t jqid, uint32_t effectiveOnly) {
    const Scope scope(library);
    if (!scope.ready()) return kNoAnswer;
    return isFound(scope.tables(), jqid, filterOf(effectiveOnly)) ? 1 : 0;
}

}  // namespace
}  // namespace jq::idindex

using namespace jq::idindex;

JQ_CHECK_ARGUMENT_BYTES(IDINDEX_EXPORTS)

JQ_API JQStatus JQ_CALL InitializeJQID(void) {
    Scope scope(library);
    IndexContext*& context = scope.context();
    try {
        if (context == nullptr) context = new IndexContext(jqidRule());
        return context->load();
    } catch (...) {
        delete context;
        context = nullptr;
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API JQStatus JQ_CALL UnInitializeJQID(void) {
    Scope scope(library);
    return scope.destroyContext();
}

JQ_API uint16_t JQ_CALL GetGRT(uint64_t jqid) {
    const Scope scope(library);
    return grtOfJqid(jqid);
}

JQ_API uint32_t JQ_CALL IsFindJQID(uint64_t jqid, uint32_t effectiveOnly) {
    return found(jqid, effectiveOnly);
}

JQ_API uint32_t JQ_CALL IsEffective(uint64_t jqid) { return found(jqid, 1); }

JQ_API JQStatus JQ_CALL GetJQIDData(uint64_t jqid, JQIDEntry* entry, uint32_t) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(entry)) return refused;
    try {
        return decodeEntry(scope.tables(), jqid, *entry);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API void JQ_CALL FreeJQIDData(JQIDEntry* entry) {
    const Scope scope(library);
    if (entry != nullptr) jq::records::releaseJqidEntry(*entry);
}

JQ_API JQStatus JQ_CALL GetJQIDLinkList(uint64_t jqid, JQIDList* list, uint32_t effectiveOnly) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(list)) return refused;
    try {
        return linkedJqids(scope.tables(), jqid, nullptr, filterOf(effectiveOnly), *list);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API JQStatus JQ_CALL GetGRT2JQIDLinkList(uint64_t jqid, uint32_t grt, JQIDList* list,
                                            uint32_t effectiveOnly) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(list)) return refused;
    const auto wanted = static_cast<int32_t>(grt);
    try {
        return linkedJqids(scope.tables(), jqid, &wanted, filterOf(effectiveOnly), *list);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API JQStatus JQ_CALL GetGRT2JQIDList(uint32_t grt, JQIDList* list, uint32_t effectiveOnly) {
    const Scope scope(library);
    if (!scope.hasContext()) return JQ_ERR_NOT_INITIALIZED;
    if (list == nullptr) return JQ_ERR_NULL_ARGUMENT;
    if (!grtIsListed(grt)) return JQ_ERR_RANGE;
    if (!scope.ready()) return JQ_ERR_NOT_INITIALIZED;
    try {
        return jqidsOfGrt(scope.tables(), grt, filterOf(effectiveOnly), *list);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API void JQ_CALL FreeJQIDList(JQIDList* list) {
    const Scope scope(library);
    if (list == nullptr || list->items == nullptr) return;
    delete[] list->items;
    list->items = nullptr;
}

JQ_API JQStatus JQ_CALL GetShowEvent2JQID(uint32_t gcn, uint32_t eventId, uint64_t* jqid,
                                          uint32_t effectiveOnly) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(jqid)) return refused;
    return eventToJqid(scope.tables(), gcn, eventId, filterOf(effectiveOnly), *jqid);
}

JQ_API JQStatus JQ_CALL GetPAD2JQID(uint32_t pad, uint64_t* jqid, uint32_t effectiveOnly) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(jqid)) return refused;
    return padToJqid(scope.tables(), pad, filterOf(effectiveOnly), *jqid);
}

JQ_API JQStatus JQ_CALL GetTAD2JQID(uint32_t tad, uint64_t* jqid, uint32_t effectiveOnly) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(jqid)) return refused;
    return tadToJqid(scope.tables(), tad, filterOf(effectiveOnly), *jqid);
}

JQ_API JQStatus JQ_CALL GetMSID2JQID(uint32_t messageId, uint32_t serviceId, uint64_t* jqid,
                                     uint32_t effectiveOnly) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(jqid)) return refused;
    return messageToJqid(scope.tables(), messageId, serviceId, filterOf(effectiveOnly), *jqid);
}
