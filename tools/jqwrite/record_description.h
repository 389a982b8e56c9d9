// record_description.h - the readable blocks of the description language for
// the record families of record_data.h and jqid_data.h (see the grammar in
// description.cpp). Internal to jqwrite.
#pragma once

#include <memory>
#include <string>

#include "description_syntax.h"

namespace jq::write::description {

// One block, from its opening statement to its 'end'. Errors are
// DescriptionError or std::invalid_argument.
class RecordBlock {
public:
    virtual ~RecordBlock() = default;

    // One statement inside the block; true when it was the block's 'end'.
    bool statement(const std::string& keyword, Args& args);

    // The packet header and record data, once statement() returned true.
    const Bytes& packetHeader() const { return header_; }
    const Bytes& data() const { return data_; }

protected:
    virtual void entry(const std::string& keyword, Args& args) = 0;
    virtual void finish() = 0;

    Bytes header_;
    Bytes data_;
};

// The block that keyword opens in a package of typeCode; nothing when
// keyword opens no record block. Fails when the block does not suit the type.
std::unique_ptr<RecordBlock> openRecordBlock(const std::string& keyword, uint8_t typeCode,
                                             Args& args);

}  // namespace jq::write::description
