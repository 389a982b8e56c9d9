// micp_tables.h - the tables of the MICP index.
//
// The block table files every MICP block (type 0xF5) under its object,
// block count and block number; the blocks stay in the parse lists the load
// keeps. In the first pass the first block of a key wins; each block of the
// second pass (the MU files) first removes every block of its object. After
// the load each block's object is decoded once, and every named datum of it
// is filed in the name table under its name and part number; the first
// object of a key wins.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "feedcore.h"
#include "index_frame.h"
#include "micp_object.h"

namespace jq::mediaindex {

class MicpTables final : public index::IndexTables {
public:
    using NameTable = std::map<std::string, const MicpObject*>;

    // The load: the result is the status of the last second-pass file's
    // decoding, 0 when that pass had none; any other result discards the
    // load.
    void fileDecoded(index::Pass pass, JQStatus status) override;
    void takeParsed(index::Pass pass, const ParseElement& element) override;
    JQStatus loadEnded() override;
    void clear() override;

    // Files one block as the pass has it.
    void fileBlock(index::Pass pass, const MicpBlockRecord& block);
    // Decodes every block and fills the name table.
    void buildNameTable();

    const std::map<uint64_t, const MicpBlockRecord*>& blocks() const { return blocks_; }
    const NameTable& names() const { return names_; }

private:
    std::map<uint64_t, const MicpBlockRecord*> blocks_;
    std::vector<std::unique_ptr<MicpObject>> objects_;  // those the name table names
    NameTable names_;
    JQStatus secondPassStatus_ = JQ_OK;
};

bool isMicpType(uint32_t typeCode);

}  // namespace jq::mediaindex
