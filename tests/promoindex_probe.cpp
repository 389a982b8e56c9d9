// promoindex_probe - a host of promoindex alone, linked to it but not to
// feedcore, so that tests can run it in a folder with or without feedcore.
// It runs the calls named on its command line in order and prints each
// answer on a line of its own:
//
//   enum          GetEnumOBJ9 with no folder list (AD.ini beside the probe)
//   folder PATH   GetEnumOBJ9 with a folder list of PATH alone
//   null          GetEnumOBJ9 with a null list record, and FreeOBJ9List of
//                 a null record and of a record without elements
//
// An enumeration prints "GetEnumOBJ9=<status>", then "record=untouched" when
// the list record still holds what the probe put there before the call, or
// "count=<n>" and one line "<PAID>,<type>,<HostID>,<size>" per object (PAID
// and type in hexadecimal) when it was filled. Paths are ASCII, widened to
// UTF-16.
#include <cstdio>
#include <string>

#include "promoindex.h"

namespace {

// What the probe leaves in a list record before a call: a count and an
// elements pointer that no call may make, so that a record left alone shows.
constexpr uint32_t kUntouchedCount = 0xC0FFEE;
OBJ9 untouchedElement{};

std::basic_string<JQChar> wide(const char* text) {
    std::basic_string<JQChar> out;
    for (; *text != 0; ++text)
        out.push_back(static_cast<JQChar>(static_cast<unsigned char>(*text)));
    return out;
}

void enumerate(const OBJ9FolderList* folders) {
    OBJ9List list{kUntouchedCount, &untouchedElement};
    std::printf("GetEnumOBJ9=%u\n", GetEnumOBJ9(&list, folders));
    if (list.count == kUntouchedCount && list.elements == &untouchedElement) {
        std::printf("record=untouched\n");
        return;
    }
    std::printf("count=%u\n", list.count);
    for (uint32_t i = 0; list.elements != nullptr && i < list.count; ++i) {
        const OBJ9& o = list.elements[i];
        std::printf("%08X,%02X,%u,%u\n", o.PAID, o.RecordType, o.HostID, o.ObjectSize);
    }
    FreeOBJ9List(&list);
    std::printf("FreeOBJ9List=%s\n", list.elements == nullptr ? "null" : "kept");
}

void enumerateFolder(const char* path) {
    const std::basic_string<JQChar> text = wide(path);
    const PathEntry entry{static_cast<uint32_t>(text.size() + 1), text.c_str()};
    const OBJ9FolderList folders{1, &entry};
    enumerate(&folders);
}

void nulls() {
    std::printf("GetEnumOBJ9.null=%u\n", GetEnumOBJ9(nullptr, nullptr));
    FreeOBJ9List(nullptr);
    OBJ9List empty{3, nullptr};
    FreeOBJ9List(&empty);
    std::printf("FreeOBJ9List.empty=%u\n", empty.count);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string call = argv[i];
        if (call == "enum") {
            enumerate(nullptr);
        } else if (call == "folder" && i + 1 < argc) {
            enumerateFolder(argv[++i]);
        } else if (call == "null") {
            nulls();
        } else {
            std::fprintf(stderr, "promoindex_probe: bad call %s\n", call.c_str());
            return 2;
        }
    }
    return 0;
}
