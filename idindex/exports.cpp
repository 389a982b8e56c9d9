// exports.cpp - the exports of the JQID index: its state, the library lock
// and the wrapper every query runs in.
//
// States: without a context the library is not initialised; with a context
// but feedcore unloaded (a failed load) it is empty and answers as not
// initialised after checking the output argument; with feedcore loaded it
// answers from its tables.
#include <mutex>

#include "idindex.h"
#include "index_frame.h"
#include "jqid_queries.h"
#include "jqid_tables.h"
#include "library_state.h"
#include "records/jqid_records.h"

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

const index::LibraryRule kRule{JQ_PATH("JQID.ini"), {JQ_PATH("G*"), takesType, passOf}};

struct IndexContext {
    JqidTables tables;
    index::IndexFrame frame{kRule, tables};  // declared after the tables it clears
};

// Created when the library is loaded, destroyed when it is unloaded.
index::LibraryState<IndexContext> library;

Filter filterOf(uint32_t effectiveOnly) {
    Filter filter;
    filter.effectiveOnly = effectiveOnly == 1;
    if (filter.effectiveOnly) filter.now = dayZeroTimeNow();
    return filter;
}

template <typename Query>
JQStatus underLockCatching(Query query) {
    return index::underLockCatching(library, query);
}

template <typename Query>
JQStatus underLock(Query query) {
    return index::underLock(library, JQStatus{JQ_ERR_NOT_INITIALIZED}, query);
}

template <typename Output, typename Lookup>
JQStatus answerInto(const IndexContext& c, Output* output, Lookup lookup) {
    return index::answerInto(c.frame.decoderLoaded(), output, lookup);
}

JQStatus initialize() {
    std::lock_guard<platform::RecursiveLock> guard(library.lock);
    try {
        if (library.context == nullptr) library.context = new IndexContext();
        IndexContext& c = *library.context;
        const JQStatus status = c.frame.load();
        if (c.frame.decoderLoaded()) c.tables.finish();
        return status;
    } catch (...) {
        delete library.context;
        library.context = nullptr;
        return JQ_ERR_EXCEPTION;
    }
}

JQStatus uninitialize() {
    std::lock_guard<platform::RecursiveLock> guard(library.lock);
    if (library.context == nullptr) return JQ_ERR_NOT_INITIALIZED;
    delete library.context;  // the frame releases the package lists and feedcore
    library.context = nullptr;
    return JQ_OK;
}

uint32_t found(uint64_t jqid, uint32_t effectiveOnly) {
    return index::underLock(library, kNoAnswer, [&](const IndexContext& c) -> uint32_t {
        if (!c.frame.decoderLoaded()) return kNoAnswer;
        return isFound(c.tables, jqid, filterOf(effectiveOnly)) ? 1 : 0;
    });
}

}  // namespace
}  // namespace jq::idindex

using namespace jq::idindex;

JQ_API JQStatus JQ_CALL InitializeJQID(void) { return initialize(); }

JQ_API JQStatus JQ_CALL UnInitializeJQID(void) { return uninitialize(); }

JQ_API uint16_t JQ_CALL GetGRT(uint64_t jqid) {
    std::lock_guard<jq::platform::RecursiveLock> guard(library.lock);
    return grtOfJqid(jqid);
}

JQ_API uint32_t JQ_CALL IsFindJQID(uint64_t jqid, uint32_t effectiveOnly) {
    return found(jqid, effectiveOnly);
}

JQ_API uint32_t JQ_CALL IsEffective(uint64_t jqid) { return found(jqid, 1); }

JQ_API JQStatus JQ_CALL GetJQIDData(uint64_t jqid, JQIDEntry* entry, uint32_t) {
    return underLockCatching([&](const IndexContext& c) {
        return answerInto(c, entry, [&](JQIDEntry& e) { return decodeEntry(c.tables, jqid, e); });
    });
}

JQ_API void JQ_CALL FreeJQIDData(JQIDEntry* entry) {
    std::lock_guard<jq::platform::RecursiveLock> guard(library.lock);
    if (entry != nullptr) jq::records::releaseJqidEntry(*entry);
}

JQ_API JQStatus JQ_CALL GetJQIDLinkList(uint64_t jqid, JQIDList* list, uint32_t effectiveOnly) {
    return underLockCatching([&](const IndexContext& c) {
        return answerInto(c, list, [&](JQIDList& l) {
            return linkedJqids(c.tables, jqid, nullptr, filterOf(effectiveOnly), l);
        });
    });
}

JQ_API JQStatus JQ_CALL GetGRT2JQIDLinkList(uint64_t jqid, uint32_t grt, JQIDList* list,
                                            uint32_t effectiveOnly) {
    return underLockCatching([&](const IndexContext& c) {
        return answerInto(c, list, [&](JQIDList& l) {
            const auto wanted = static_cast<int32_t>(grt);
            return linkedJqids(c.tables, jqid, &wanted, filterOf(effectiveOnly), l);
        });
    });
}

JQ_API JQStatus JQ_CALL GetGRT2JQIDList(uint32_t grt, JQIDList* list, uint32_t effectiveOnly) {
    return underLockCatching([&](const IndexContext& c) -> JQStatus {
        if (list == nullptr) return JQ_ERR_NULL_ARGUMENT;
        if (!grtIsListed(grt)) return JQ_ERR_RANGE;
        return answerInto(c, list, [&](JQIDList& l) {
            return jqidsOfGrt(c.tables, grt, filterOf(effectiveOnly), l);
        });
    });
}

JQ_API void JQ_CALL FreeJQIDList(JQIDList* list) {
    std::lock_guard<jq::platform::RecursiveLock> guard(library.lock);
    if (list == nullptr || list->items == nullptr) return;
    delete[] list->items;
    list->items = nullptr;
}

JQ_API JQStatus JQ_CALL GetShowEvent2JQID(uint32_t gcn, uint32_t eventId, uint64_t* jqid,
                                          uint32_t effectiveOnly) {
    return underLock([&](const IndexContext& c) {
        return answerInto(c, jqid, [&](uint64_t& out) {
            return eventToJqid(c.tables, gcn, eventId, filterOf(effectiveOnly), out);
        });
    });
}

JQ_API JQStatus JQ_CALL GetPAD2JQID(uint32_t pad, uint64_t* jqid, uint32_t effectiveOnly) {
    return underLock([&](const IndexContext& c) {
        return answerInto(c, jqid, [&](uint64_t& out) {
            return padToJqid(c.tables, pad, filterOf(effectiveOnly), out);
        });
    });
}

JQ_API JQStatus JQ_CALL GetTAD2JQID(uint32_t tad, uint64_t* jqid, uint32_t effectiveOnly) {
    return underLock([&](const IndexContext& c) {
        return answerInto(c, jqid, [&](uint64_t& out) {
            return tadToJqid(c.tables, tad, filterOf(effectiveOnly), out);
        });
    });
}

JQ_API JQStatus JQ_CALL GetMSID2JQID(uint32_t messageId, uint32_t serviceId, uint64_t* jqid,
                                     uint32_t effectiveOnly) {
    return underLock([&](const IndexContext& c) {
        return answerInto(c, jqid, [&](uint64_t& out) {
            return messageToJqid(c.tables, messageId, serviceId, filterOf(effectiveOnly), out);
        });
    });
}
