// exports.cpp - the exports of the MICP index: its state, the library lock
// and the frame every query runs in.
//
// With a context the queries answer from its tables (empty after a failed
// load); without one each builds a temporary index for its one call, under
// the lock, and discards it.
#include "bound_exports.h"
#include "index_frame.h"
#include "library_state.h"
#include "mediaindex.h"
#include "mediaindex_exports.h"
#include "micp_queries.h"
#include "micp_tables.h"

namespace jq::mediaindex {
namespace {

// Names holding "MU" in any letter case load in the second pass.
index::Pass passOf(const JQChar* fileName, const IndexEntry&) {
    return index::nameContainsUpper(fileName, "MU") ? index::Pass::Second : index::Pass::First;
}

index::LibraryRule micpRule() {
    return {JQ_PATH("MICP.ini"), {JQ_PATH("M*"), isMicpType, passOf}, index::LoadKind::Parses};
}

using IndexContext = index::IndexFrame<MicpTables>;
using Scope = index::ExportScope<IndexContext>;

// Created when the library is loaded, destroyed when it is unloaded.
index::LibraryState<IndexContext> library{JQ_ERR_NOT_FOUND};

// Runs query on the tables of the index, or of a temporary index built for
// it; the lock is held throughout.
template <typename Query>
auto withTables(Query&& query) {
    Scope scope(library);
    if (IndexContext* context = scope.context()) return query(context->tables());
    IndexContext temporary(micpRule());
    temporary.load();  // a failed load leaves its tables empty
    return query(temporary.tables());
}

}  // namespace
}  // namespace jq::mediaindex

using namespace jq::mediaindex;

JQ_CHECK_ARGUMENT_BYTES(MEDIAINDEX_EXPORTS)

JQ_API JQStatus JQ_CALL InitializeMICP(void) {
    Scope scope(library);
    return scope.initialise([] { return new IndexContext(micpRule()); },
                            [](IndexContext& context) { return context.load(); });
}

JQ_API JQStatus JQ_CALL UnInitializeMICP(void) {
    Scope scope(library);
    return scope.destroyContext();
}

JQ_API uint32_t JQ_CALL GetMICPDataSize(const JQChar* name) {
    if (name == nullptr) return 0;
    try {
        const std::string key = jq::platform::ansiFromUtf16(name);
        return withTables([&](const MicpTables& tables) {
            return datumSize(tables, key, jq::index::dayZeroTimeNow());
        });
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API JQStatus JQ_CALL GetMICPData(const JQChar* name, uint8_t* buffer, uint32_t bufferSize) {
    if (name == nullptr || buffer == nullptr) return JQ_ERR_NULL_ARGUMENT;
    try {
        const std::string key = jq::platform::ansiFromUtf16(name);
        return withTables([&](const MicpTables& tables) {
            return datumInto(tables, key, buffer, bufferSize, jq::index::dayZeroTimeNow());
        });
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API JQStatus JQ_CALL GetMICPData2(const JQChar* name, uint8_t** data, uint32_t* length) {
    if (name == nullptr || data == nullptr || length == nullptr) return JQ_ERR_NULL_ARGUMENT;
    try {
        const std::string key = jq::platform::ansiFromUtf16(name);
        return withTables([&](const MicpTables& tables) {
            return datumAllocated(tables, key, *data, *length, jq::index::dayZeroTimeNow());
        });
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API void JQ_CALL FreeMICPData(uint8_t** data) {
    if (data != nullptr) releaseDatum(*data);
}
