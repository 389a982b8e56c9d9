// Fuzzes the JQID index's table builder with a run of type-223 packages, then
// decodes every entry it kept and asks for the links of every JQID.
//
// Input: a package run (package_run.h); the flag bits above the header
// length are unused.
#include "jqid_queries.h"
#include "jqid_tables.h"
#include "jqid_entries.h"
#include "package_run.h"

namespace {

void askAbout(const jq::idindex::JqidTables& tables, uint64_t jqid) {
    JQIDEntry entry{};
    jq::idindex::decodeEntry(tables, jqid, entry);
    jq::records::releaseJqidEntry(entry);
    JQIDList list{};
    if (jq::idindex::linkedJqids(tables, jqid, nullptr, {}, list) == JQ_OK) delete[] list.items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    const auto packages = jq::fuzz::packageRun(input, size);
    jq::idindex::JqidTables tables;
    for (const auto& p : packages) tables.addPackage(p->record(223));
    tables.finish();
    for (const jq::idindex::MainEntry& entry : tables.mainEntries()) askAbout(tables, entry.jqid);
    for (const jq::idindex::LinkEntry& link : tables.links()) askAbout(tables, link.jqid2);
    return 0;
}
