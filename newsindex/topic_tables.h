// topic_tables.h - the tables of the topics index.
//
// Topic list packages (types 0x6F and 0x62) give categories and topics,
// topic message packages (0x6E and 0x61) the messages that carry a topic's
// content. Entries are not copies: their texts and message objects are views
// into the package data the load keeps. Each type files into tables of its
// own, the first entry of a key winning; the second pass (the TPU files)
// files into tables of its own that then replace the main tables' entries of
// the same keys. The three views the queries read join the two types of a
// family, 0x6F before 0x62 and 0x6E before 0x61.
#pragma once

#include <cstdint>

#include "byte_reader.h"
#include "feedcore.h"
#include "index_frame.h"
#include "keyed_table.h"
#include "topic_list_items.h"

namespace jq::newsindex {

// One entry of a topic list package.
struct TopicEntry {
    uint16_t hostId = 0;
    records::TopicListItem item;
};

// One topic message package.
struct TopicMessageEntry {
    ByteView object;  // the plain data after its leading SMK word
    uint16_t hostId = 0;
    uint8_t messageId = 0;
    uint8_t serviceId = 0;
    uint16_t serialNumber = 0;
    uint16_t smk = 0;
};

// A category's key: MajorCategoryID. A topic's: MajorCategoryID * 256 +
// MinorCategoryID. A message's: ServiceID * 256 + MessageID.
using MajorTable = KeyedTable<TopicEntry, 8>;
using MinorTable = KeyedTable<TopicEntry, 16>;
using MessageTable = KeyedTable<TopicMessageEntry, 16>;
using MajorView = KeyedTable<const TopicEntry*, 8>;
using MinorView = KeyedTable<const TopicEntry*, 16>;
using MessageView = KeyedTable<const TopicMessageEntry*, 16>;

// The tables that one type of each family files into.
struct TopicSource {
    MajorTable majors;
    MinorTable minors;
    MessageTable messages;
};

// The tables of one pass: index 0 for types 0x6F and 0x6E, 1 for 0x62 and
// 0x61.
struct PassTables {
    TopicSource byType[2];
    void clear();
};

// Whether topic message headers have the container reading's layout
// ("Tolvo.ini" beside the host); asked for each file as it is decoded, the
// moment feedcore chooses the reading of that file.
using TolvoProbe = bool (*)();

// Files one topic list package: entries up to the end of the data, or up to
// an entry that runs past it. 0, or 17 without data.
JQStatus fileTopicList(const PackageRecord& package, records::TopicListLayout layout,
                       TopicSource& tables);

// Files one topic message package: 0; 17 without packet header or data; 21
// for a packet header below 6 bytes or data below 2; 0xC06E for a message
// whose SMK (or data byte 1) lacks bit 1.
JQStatus fileTopicMessage(const PackageRecord& package, bool tolvoLayout, TopicSource& tables);

class TopicTables final : public index::IndexTables {
public:
    explicit TopicTables(TolvoProbe tolvo = index::tolvoBesideHost) : tolvo_(tolvo) {}

    // The load: the first pass files into the main tables, the second into
    // its own, which replace the main tables' entries when it ends; the views
    // are built when the load ends. Statuses are not reported.
    void fileDecoded(index::Pass, JQStatus) override { tolvoLayout_ = tolvo_(); }
    void takePackage(index::Pass pass, const PackageRecord& package) override;
    void passEnded(index::Pass pass) override;
    JQStatus loadEnded() override;
    void clear() override;

    // Files one package into the tables of a pass, its messages read in the
    // layout of the last file decoded; its filing status.
    JQStatus file(index::Pass pass, const PackageRecord& package);

    const MajorView& majors() const { return majorView_; }
    const MinorView& minors() const { return minorView_; }
    const MessageView& messages() const { return messageView_; }

private:
    void replaceFromSecondPass();
    void buildViews();

    TolvoProbe tolvo_;
    bool tolvoLayout_ = false;  // of the file being filed
    PassTables main_;
    PassTables update_;  // the second pass's, until it ends
    MajorView majorView_;
    MinorView minorView_;
    MessageView messageView_;
};

// Whether a package type is one of the topics index's.
bool isTopicType(uint32_t typeCode);

}  // namespace jq::newsindex
