// object_records.h - object records: one opaque object named by a PAID
// (types 0x56 and 0xD7) or a CAID (type 0x57) and a CRM value.
#pragma once

#include "record_family.h"

namespace jq::records {

// Type 0x56 reports content errors as 0xC056; the parser shared by 0x57 and
// 0xD7 reports 0xC0D7 for both.
JQStatus parseObject56(const RecordInput& input, ObjectRecord& record);
JQStatus parseObjectShared(const RecordInput& input, ObjectRecord& record);
void releaseObject(ObjectRecord* record);

void writeObjectPaid(const ObjectRecord& record, CsvFile& out);
void writeObjectCaid(const ObjectRecord& record, CsvFile& out);

using Object56Family = TypedFamily<ObjectRecord, parseObject56, releaseObject>;
using ObjectSharedFamily = TypedFamily<ObjectRecord, parseObjectShared, releaseObject>;

}  // namespace jq::records
