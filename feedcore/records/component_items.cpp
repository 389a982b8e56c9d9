// component_items.cpp - component and access-control items: video and audio
// components, copy control, conditional access and component groups
// (InfoTypes 20-24).
//
// Malformed payloads: every field an item announces must lie inside its
// payload. An entry, count or text length that runs past the payload (or,
// for the copy-control entries, past their own byte size) makes the whole
// item kAuxItemError; so does an empty payload. The entry lists of types 20,
// 21 and 23 run to the end of the payload, so a trailing partial entry is an
// error. Types 22 and 24 end where their fields end: bytes after them are
// ignored, as the schedule parser steps to the next item by InfoSize anyway.
//
// Lists whose length is only known by walking them are walked twice: once
// to count and check every entry, then into an array of that many, so that a
// slot never holds a list longer than the entries it owns.
#include <algorithm>

#include "aux_items.h"
#include "broadcast_text.h"
#include "list_records.h"

namespace jq::records {
namespace {

// `width` bits of `byte` from bit `low` up.
constexpr uint8_t bits(uint8_t byte, int low, int width) {
    return static_cast<uint8_t>((byte >> low) & ((1u << width) - 1));
}

// Counts the entries that fill `entries` up to its end; -1 when the last one
// runs past it.
template <typename SkipEntry>
int64_t countEntries(ByteReader entries, SkipEntry skipEntry) {
    int64_t count = 0;
    while (entries.canRead()) {
        skipEntry(entries);
        if (!entries.ok()) return -1;
        ++count;
    }
    return count;
}

// Reads the flat entries that fill `entries` into a new array stored in
// `list`, their number in `count`.
template <typename Entry, typename Count, typename ReadEntry>
JQStatus readFlatList(ByteReader entries, Entry*& list, Count& count, ReadEntry readEntry) {
    const int64_t n = countEntries(entries, [&](ByteReader& r) {
        Entry scratch{};
        readEntry(r, scratch);
    });
    if (n < 0) return kAuxItemError;
    if (n == 0) return JQ_OK;
    list = new Entry[n]();
    count = static_cast<Count>(n);
    for (int64_t i = 0; i < n; ++i) readEntry(entries, list[i]);
    return JQ_OK;
}

// Converts a text of `length` raw bytes into text / textLength.
JQStatus readText(ByteReader& r, uint8_t length, char*& text, uint8_t& textLength) {
    const ByteView raw = r.bytes(length);
    if (!r.ok()) return kAuxItemError;
    return decodeTextField(raw, text, textLength);
}

// --- InfoType 20: video components -------------------------------------------

// Type, tag and a description text that is skipped.
void readVideoComponent(ByteReader& r, VideoComponent& entry) {
    entry.ComponentType = r.u8();
    entry.ComponentTag = r.u8();
    r.skip(r.u8());
}

JQStatus decodeVideoComponents(ByteView payload, AuxInfo& item) {
    if (payload.empty()) return kAuxItemError;
    auto* list = item.videoComponents = new VideoComponentList();
    return readFlatList(ByteReader(payload), list->entries, list->count, readVideoComponent);
}

void writeVideoComponents(const AuxInfo& item, CsvFile& out) {
    const VideoComponentList& list = *item.videoComponents;
    out.line("ComponentType,ComponentTag,DescTextLength,DescText\n");
    for (uint32_t i = 0; i < list.count; ++i) {
        const VideoComponent& e = list.entries[i];
        out.line("0x%02X,0x%02X,%d,", e.ComponentType, e.ComponentTag, e.DescTextLength);
        out.stored(e.DescText, e.DescTextLength);
        out.line("\n");
    }
}

void releaseVideoComponents(AuxInfo& item) {
    if (VideoComponentList* list = item.videoComponents) {
        if (list->entries) {
            for (uint32_t i = 0; i < list->count; ++i) delete[] list->entries[i].DescText;
        }
        delete[] list->entries;
        delete list;
    }
    item.videoComponents = nullptr;
}

bool hasVideoComponents(const AuxInfo& item) { return item.videoComponents != nullptr; }

// --- InfoType 21: audio components -------------------------------------------

// Seven bytes, three more for the second language when ESML is set, and a
// description text that is skipped.
void readAudioComponent(ByteReader& r, AudioComponent& entry) {
    entry.ComponentType = r.u8();
    entry.ComponentTag = r.u8();
    entry.SimulcastGroupTag = r.u8();
    const uint8_t flags = r.u8();
    entry.ESML = bits(flags, 7, 1);
    entry.MCOM = bits(flags, 6, 1);
    entry.Quality = bits(flags, 4, 2);
    entry.SamplingRate = bits(flags, 1, 3);
    const ByteView main = r.bytes(3);
    if (main.data) std::copy_n(main.data, 3, entry.MainChLanguage);
    if (entry.ESML) {
        const ByteView sub = r.bytes(3);
        if (sub.data) std::copy_n(sub.data, 3, entry.SubChLanguage);
    }
    r.skip(r.u8());
}

JQStatus decodeAudioComponents(ByteView payload, AuxInfo& item) {
    if (payload.empty()) return kAuxItemError;
    auto* list = item.audioComponents = new AudioComponentList();
    return readFlatList(ByteReader(payload), list->entries, list->count, readAudioComponent);
}

void writeAudioComponents(const AuxInfo& item, CsvFile& out) {
    const AudioComponentList& list = *item.audioComponents;
    out.line(
        "ComponentType,ComponentTag,SimulcastGroupTag,ESML,MCOM,Quality,SamplingRate,"
        "MainChLanguage,SubChLanguage,DescTextLength,DescText\n");
    for (uint32_t i = 0; i < list.count; ++i) {
        const AudioComponent& e = list.entries[i];
        out.line("0x%02X,0x%02X,%d,%d,%d,%d,%d,", e.ComponentType, e.ComponentTag,
                 e.SimulcastGroupTag, e.ESML, e.MCOM, e.Quality, e.SamplingRate);
        out.write(e.MainChLanguage, 3);
        out.line(",");
        out.write(e.SubChLanguage, 3);
        out.line(",%d,", e.DescTextLength);
        out.stored(e.DescText, e.DescTextLength);
        out.line("\n");
    }
}

void releaseAudioComponents(AuxInfo& item) {
    if (AudioComponentList* list = item.audioComponents) {
        if (list->entries) {
            for (uint32_t i = 0; i < list->count; ++i) delete[] list->entries[i].DescText;
        }
        delete[] list->entries;
        delete list;
    }
    item.audioComponents = nullptr;
}

bool hasAudioComponents(const AuxInfo& item) { return item.audioComponents != nullptr; }

// --- InfoType 22: digital copy control -----------------------------------------

// A tag, a flag byte and the maximum bit rate when the entry's MBRF is set.
void readCopyControlComponent(ByteReader& r, CopyControlComponent& entry) {
    entry.ComponentTag = r.u8();
    const uint8_t flags = r.u8();
    entry.DRecordCtrlData = bits(flags, 6, 2);
    entry.MBRF = bits(flags, 5, 1);
    entry.CopyCtrlType = bits(flags, 2, 2);
    entry.APSCtrlData = bits(flags, 0, 2);
    if (entry.MBRF) entry.MaxBitRate = r.u8();
}

JQStatus decodeCopyControl(ByteView payload, AuxInfo& item) {
    if (payload.empty()) return kAuxItemError;
    auto* info = item.copyControl = new CopyControlInfo();
    ByteReader r(payload);
    const uint8_t flags = r.u8();
    info->DRecordCtrlData = bits(flags, 6, 2);
    info->MBRF = bits(flags, 5, 1);
    info->CCF = bits(flags, 4, 1);
    info->CopyCtrlType = bits(flags, 2, 2);
    info->APSCtrlData = bits(flags, 0, 2);
    if (info->MBRF) info->MaxBitRate = r.u8();
    // The entries occupy exactly the byte size given before them.
    const ByteReader entries = info->CCF ? r.sub(r.u8()) : ByteReader();
    if (!r.ok()) return kAuxItemError;
    return readFlatList(entries, info->components, info->ComponentCtrlSize,
                        readCopyControlComponent);
}

void writeCopyControl(const AuxInfo& item, CsvFile& out) {
    const CopyControlInfo& info = *item.copyControl;
    out.line("CCF,MBRF,DRecordCtrlData,CopyCtrlType,APSCtrlData,MaxBitRate,ComponentCtrlSize\n");
    out.line("%d,%d,%d,%d,%d,%d,%d\n", info.CCF, info.MBRF, info.DRecordCtrlData, info.CopyCtrlType,
             info.APSCtrlData, info.MaxBitRate, info.ComponentCtrlSize);
    // The entries' column names repeat the record's; the first column is the
    // component tag.
    out.line("CCF,MBRF,DRecordCtrlData,CopyCtrlType,APSCtrlData,MaxBitRate\n");
    if (info.components == nullptr) return;
    for (int i = 0; i < info.ComponentCtrlSize; ++i) {
        const CopyControlComponent& e = info.components[i];
        out.line("%d,%d,%d,%d,%d,%d\n", e.ComponentTag, e.MBRF, e.DRecordCtrlData, e.CopyCtrlType,
                 e.APSCtrlData, e.MaxBitRate);
    }
}

void releaseCopyControl(AuxInfo& item) {
    if (CopyControlInfo* info = item.copyControl) {
        delete[] info->components;
        delete info;
    }
    item.copyControl = nullptr;
}

bool hasCopyControl(const AuxInfo& item) { return item.copyControl != nullptr; }

// --- InfoType 23: conditional access -------------------------------------------

// The contract's shape only, to count the contracts and check their bounds.
void skipContract(ByteReader& r) {
    r.skip(2);
    r.skip(bits(r.u8(), 0, 4));
    r.skip(r.u8());
    r.skip(r.u8());
}

// A contract already checked by skipContract; only its text can fail.
JQStatus readContract(ByteReader& r, CAContract& contract) {
    contract.CASystemID = r.u16be();
    const uint8_t unit = r.u8();
    contract.UnitID = bits(unit, 4, 4);
    contract.ComponentCount = bits(unit, 0, 4);
    contract.ComponentList =
        copyBytes(r.bytes(contract.ComponentCount).data, contract.ComponentCount);
    contract.ContractCount = r.u8();
    contract.Contract = copyBytes(r.bytes(contract.ContractCount).data, contract.ContractCount);
    return readText(r, r.u8(), contract.FeeName, contract.FeeNameLength);
}

JQStatus decodeConditionalAccess(ByteView payload, AuxInfo& item) {
    if (payload.empty()) return kAuxItemError;
    auto* info = item.conditionalAccess = new ConditionalAccessInfo();
    ByteReader r(payload);
    info->PayFlag = bits(r.u8(), 7, 1);
    if (!info->PayFlag) return JQ_OK;  // no contracts, whatever follows

    const int64_t n = countEntries(r, skipContract);
    if (n < 0) return kAuxItemError;
    if (n == 0) return JQ_OK;
    info->contracts = new CAContract[n]();
    info->CAListSize = static_cast<uint32_t>(n);
    for (int64_t i = 0; i < n; ++i) {
        if (const JQStatus status = readContract(r, info->contracts[i])) return status;
    }
    return JQ_OK;
}

void writeConditionalAccess(const AuxInfo& item, CsvFile& out) {
    const ConditionalAccessInfo& info = *item.conditionalAccess;
    out.line("PayFlag,CAListSize\n");
    out.line("%d,%d\n", info.PayFlag, info.CAListSize);
    if (!info.PayFlag) return;
    out.line("CASystemID,UnitID,ComponentCount,ContractCount,Contract,FeeNameLength,FeeName\n");
    if (info.contracts == nullptr) return;
    for (uint32_t i = 0; i < info.CAListSize; ++i) {
        const CAContract& c = info.contracts[i];
        out.line("0x%04X,0x%02X,%d,%d,", c.CASystemID, c.UnitID, c.ComponentCount, c.ContractCount);
        out.stored(c.Contract, c.ContractCount);
        out.line(",%d,", c.FeeNameLength);
        out.stored(c.FeeName, c.FeeNameLength);
        out.line("\n");
        if (c.ComponentCount == 0 || c.ComponentList == nullptr) continue;
        out.line("ComponentList\n");
        for (int t = 0; t < c.ComponentCount; ++t) out.line("0x%02X\n", c.ComponentList[t]);
    }
}

void releaseConditionalAccess(AuxInfo& item) {
    if (ConditionalAccessInfo* info = item.conditionalAccess) {
        if (info->contracts) {
            for (uint32_t i = 0; i < info->CAListSize; ++i) {
                delete[] info->contracts[i].ComponentList;
                delete[] info->contracts[i].Contract;
                delete[] info->contracts[i].FeeName;
            }
        }
        delete[] info->contracts;
        delete info;
    }
    item.conditionalAccess = nullptr;
}

bool hasConditionalAccess(const AuxInfo& item) { return item.conditionalAccess != nullptr; }

// --- InfoType 24: component groups ---------------------------------------------

JQStatus readGroupUnit(ByteReader& r, ComponentGroupUnit& unit) {
    const uint8_t head = r.u8();
    unit.UnitID = bits(head, 4, 4);
    unit.CompCount = bits(head, 0, 4);
    const ByteView tags = r.bytes(unit.CompCount);
    if (!r.ok()) return kAuxItemError;
    unit.ComponentTag = copyBytes(tags.data, tags.size);
    return JQ_OK;
}

JQStatus readGroup(ByteReader& r, bool hasTotalBitRate, ComponentGroup& group) {
    const uint8_t head = r.u8();
    if (!r.ok()) return kAuxItemError;
    group.GroupID = bits(head, 4, 4);
    group.UnitCount = bits(head, 0, 4);
    if (group.UnitCount) group.units = new ComponentGroupUnit[group.UnitCount]();
    for (int i = 0; i < group.UnitCount; ++i) {
        if (const JQStatus status = readGroupUnit(r, group.units[i])) return status;
    }
    if (hasTotalBitRate) group.TotalBitRate = r.u8();
    const uint8_t textLength = r.u8();
    if (!r.ok()) return kAuxItemError;
    return readText(r, textLength, group.DescText, group.DescTextLength);
}

JQStatus decodeComponentGroups(ByteView payload, AuxInfo& item) {
    if (payload.empty()) return kAuxItemError;
    auto* info = item.componentGroups = new ComponentGroupInfo();
    ByteReader r(payload);
    const uint8_t head = r.u8();
    info->GroupType = bits(head, 5, 3);
    info->TotalBitRateFlag = bits(head, 4, 1);
    info->GroupCount = bits(head, 0, 4);
    if (info->GroupCount) info->groups = new ComponentGroup[info->GroupCount]();
    for (int i = 0; i < info->GroupCount; ++i) {
        if (const JQStatus status = readGroup(r, info->TotalBitRateFlag, info->groups[i])) {
            return status;
        }
    }
    return JQ_OK;
}

void writeComponentGroups(const AuxInfo& item, CsvFile& out) {
    const ComponentGroupInfo& info = *item.componentGroups;
    out.line("TotalBitRateFlag,GroupType,GroupCount\n");
    out.line("%d,%d,%d\n", info.TotalBitRateFlag, info.GroupType, info.GroupCount);
    if (info.groups == nullptr) return;
    for (int g = 0; g < info.GroupCount; ++g) {
        const ComponentGroup& group = info.groups[g];
        out.line("GroupID,UnitCount,TotalBitRate,DescTextLength,DescText\n");
        out.line("%d,%d,%d,%d,", group.GroupID, group.UnitCount, group.TotalBitRate,
                 group.DescTextLength);
        out.stored(group.DescText, group.DescTextLength);
        out.line("\n");
        if (group.units == nullptr) continue;
        for (int u = 0; u < group.UnitCount; ++u) {
            const ComponentGroupUnit& unit = group.units[u];
            out.line("UnitID,CompCount\n");
            out.line("%d,%d\n", unit.UnitID, unit.CompCount);
            out.line("ComponentTag\n");
            if (unit.ComponentTag == nullptr) continue;
            for (int t = 0; t < unit.CompCount; ++t) out.line("%d\n", unit.ComponentTag[t]);
        }
    }
}

void releaseComponentGroups(AuxInfo& item) {
    if (ComponentGroupInfo* info = item.componentGroups) {
        for (int g = 0; info->groups && g < info->GroupCount; ++g) {
            ComponentGroup& group = info->groups[g];
            for (int u = 0; group.units && u < group.UnitCount; ++u) {
                delete[] group.units[u].ComponentTag;
            }
            delete[] group.units;
            delete[] group.DescText;
        }
        delete[] info->groups;
        delete info;
    }
    item.componentGroups = nullptr;
}

bool hasComponentGroups(const AuxInfo& item) { return item.componentGroups != nullptr; }

}  // namespace

std::span<const AuxItemKind> componentItemKinds() {
    static constexpr AuxItemKind k[] = {
        {20, decodeVideoComponents, writeVideoComponents, releaseVideoComponents,
         hasVideoComponents},
        {21, decodeAudioComponents, writeAudioComponents, releaseAudioComponents,
         hasAudioComponents},
        {22, decodeCopyControl, writeCopyControl, releaseCopyControl, hasCopyControl},
        {23, decodeConditionalAccess, writeConditionalAccess, releaseConditionalAccess,
         hasConditionalAccess},
        {24, decodeComponentGroups, writeComponentGroups, releaseComponentGroups,
         hasComponentGroups},
    };
    return k;
}

}  // namespace jq::records
