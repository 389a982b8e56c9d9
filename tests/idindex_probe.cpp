// idindex_probe - a host of idindex alone, linked to it but not to feedcore,
// so that tests can run it in a folder without feedcore. It calls the
// life-cycle exports and a few queries in a fixed order and prints each
// answer on a line of its own: "<call>=<result>".
#include <cstdio>

#include "idindex.h"

int main() {
    JQIDEntry entry{};
    JQIDList list{};
    uint64_t jqid = 0;
    std::printf("IsFindJQID.before=%u\n", IsFindJQID(1, 0));
    std::printf("GetJQIDData.before=%u\n", GetJQIDData(1, &entry, 0));
    std::printf("UnInitializeJQID.before=%u\n", UnInitializeJQID());
    std::printf("InitializeJQID=%u\n", InitializeJQID());
    std::printf("GetJQIDData=%u\n", GetJQIDData(1, &entry, 0));
    std::printf("GetJQIDData.null=%u\n", GetJQIDData(1, nullptr, 0));
    std::printf("GetPAD2JQID=%u\n", GetPAD2JQID(1, &jqid, 0));
    std::printf("GetPAD2JQID.null=%u\n", GetPAD2JQID(1, nullptr, 0));
    std::printf("GetGRT2JQIDList=%u\n", GetGRT2JQIDList(1100, &list, 0));
    std::printf("GetGRT2JQIDList.null=%u\n", GetGRT2JQIDList(1100, nullptr, 0));
    std::printf("IsFindJQID=%u\n", IsFindJQID(1, 0));
    std::printf("UnInitializeJQID=%u\n", UnInitializeJQID());
    std::printf("UnInitializeJQID.again=%u\n", UnInitializeJQID());
    return 0;
}
