// exports.cpp - the exports of the topics index: its state, the library lock
// and the frame every query runs in.
//
// States: without a context the library is not initialised; with a context
// but feedcore unloaded (a failed load) it answers as not initialised after
// checking the output argument; with feedcore loaded it answers from its
// tables. Every query looks at the context inside the lock, so that an
// uninitialisation on another thread cannot pull it away mid-query. The
// release exports take no lock: they touch only the host's records.
#include "bound_exports.h"
#include "folder_list.h"
#include "index_frame.h"
#include "library_state.h"
#include "newsindex.h"
#include "newsindex_exports.h"
#include "topic_queries.h"
#include "topic_tables.h"

namespace jq::newsindex {
namespace {

// Names holding "TPU" in any letter case load in the second pass.
index::Pass passOf(const JQChar* fileName, const IndexEntry&) {
    return index::nameContainsUpper(fileName, "TPU") ? index::Pass::Second : index::Pass::First;
}

// In Tolvo mode every file of a folder is a candidate, otherwise those whose
// name begins with T; the mode is fixed when the context is made.
index::LibraryRule topicsRule() {
    const index::PathString pattern = index::tolvoBesideHost() ? JQ_PATH("*") : JQ_PATH("T*");
    return {JQ_PATH("topics.ini"), {pattern, isTopicType, passOf}, index::LoadKind::Packages};
}

using IndexContext = index::IndexFrame<TopicTables>;
using Scope = index::ExportScope<IndexContext>;

// Created when the library is loaded, destroyed when it is unloaded.
index::LibraryState<IndexContext> library{JQ_ERR_NOT_INITIALIZED};

JQStatus load(IndexContext& context, const TopicFolderList* folders) {
    if (folders == nullptr) return context.load();
    return context.load(index::copyFolderList(folders->count, folders->entries));
}

}  // namespace
}  // namespace jq::newsindex

using namespace jq::newsindex;

JQ_CHECK_ARGUMENT_BYTES(NEWSINDEX_EXPORTS)

JQ_API JQStatus JQ_CALL InitializeTpc(const TopicFolderList* folders) {
    Scope scope(library);
    // 0 or 23: the tables report no status.
    return scope.initialise([] { return new IndexContext(topicsRule()); },
                            [folders](IndexContext& context) { return load(context, folders); });
}

JQ_API JQStatus JQ_CALL UnInitializeTpc(void) {
    Scope scope(library);
    return scope.destroyContext();
}

JQ_API JQStatus JQ_CALL GetMajorIDList(MajorIDList* list) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(list)) return refused;
    try {
        return majorCategories(scope.tables(), *list);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API void JQ_CALL FreeMajorIDList(MajorIDList* list) {
    if (list != nullptr) releaseMajorList(*list);
}

JQ_API JQStatus JQ_CALL GetMinorIDList(uint32_t majorCategory, MinorIDList* list) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(list)) return refused;
    try {
        return topicsOfCategory(scope.tables(), static_cast<uint8_t>(majorCategory), *list);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API void JQ_CALL FreeMinorIDList(MinorIDList* list) {
    if (list != nullptr) releaseMinorList(*list);
}

JQ_API JQStatus JQ_CALL GetTopicsData(uint32_t serviceId, uint32_t messageId, uint32_t checkExpiry,
                                      TopicsData* data) {
    const Scope scope(library);
    if (const JQStatus refused = scope.refusal(data)) return refused;
    try {
        return topicContent(scope.tables(), static_cast<uint8_t>(serviceId),
                            static_cast<uint8_t>(messageId), checkExpiry == 1,
                            jq::index::dayZeroTimeNow(), *data);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

JQ_API void JQ_CALL FreeTopicsData(TopicsData* data) {
    if (data != nullptr) releaseTopicsData(*data);
}
