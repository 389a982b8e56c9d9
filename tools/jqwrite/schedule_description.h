// schedule_description.h - the schedule block of the description language:
// the items of a programme schedule with their texts and auxiliary items
// (see the grammar in description.cpp). Internal to jqwrite.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "description_syntax.h"
#include "schedule_data.h"

namespace jq::write::description {

class AuxBlock;

// Reads the statements of one schedule block, from its 'schedule' statement
// to its 'end'. Errors are DescriptionError with the line at fault.
class ScheduleBlock {
public:
    // The 'schedule' statement of a package of typeCode.
    ScheduleBlock(uint8_t typeCode, Args& args, size_t line);
    ~ScheduleBlock();

    // One statement inside the block; true when it was the block's 'end'.
    bool statement(const std::string& keyword, Args& args, size_t line);

    // The innermost block still open and the line that opened it.
    std::pair<std::string, size_t> openBlock() const;

    // The schedule, complete once statement() returned true.
    const Schedule& schedule() const { return schedule_; }

private:
    void scheduleStatement(const std::string& keyword, Args& args);
    void itemStatement(const std::string& keyword, Args& args);
    void beginItem(Args& args);
    void itemFault(Args& args);
    void beginAux(Args& args);
    void endItem();

    struct ItemTexts;

    Schedule schedule_;
    ScheduleItem item_;
    std::unique_ptr<ItemTexts> texts_;
    std::unique_ptr<AuxBlock> aux_;
    bool inItem_ = false;
    size_t line_ = 0;
    size_t scheduleLine_ = 0;
    size_t itemLine_ = 0;
};

}  // namespace jq::write::description
