// Fuzzes the advertisement object index over a folder: the input is written
// as the one A file of a temporary folder, and the enumeration of
// GetEnumOBJ9 runs over that folder with feedcore's exports (the scan, the
// parse, the HostID rule and the copied list), which is then checked and
// released.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "feedcore.h"
#include "promo_objects.h"

namespace {

namespace fs = std::filesystem;

JQStatus adoptFeedcore(jq::index::Decoder& decoder) {
    jq::index::DecoderEntryPoints e;
    e.PreAnalyzeJQFile = PreAnalyzeJQFile;
    e.AnalyzeJQFile = AnalyzeJQFile;
    e.GetGCSP = GetGCSP;
    e.SetDefaultGCSP = SetDefaultGCSP;
    e.DecryptJQFile = DecryptJQFile;
    e.FreeIndexList = FreeIndexList;
    e.FreeParseList = FreeParseList;
    e.FreePackageList = FreePackageList;
    e.OutputCSVFile = OutputCSVFile;
    e.AnalyzeJQFile1Pack = AnalyzeJQFile1Pack;
    decoder.adopt(e);
    return JQ_OK;
}

// The folder of this process, removed at exit.
struct Folder {
    Folder() : path(fs::temp_directory_path() / ("jq-fuzz-promo-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
        file = path / "A0001.jq";
        folders.push_back(path.u16string());
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
    fs::path file;
    std::vector<jq::index::PathString> folders;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    static Folder folder;
    {
        std::ofstream out(folder.file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(input), static_cast<std::streamsize>(size));
    }
    OBJ9List list{};
    if (jq::promoindex::enumerateObjects(list, &folder.folders, jq::promoindex::kDefaultHostId,
                                         u"A*", adoptFeedcore) != JQ_OK) {
        std::abort();  // the decoder is always there and the load reports no status
    }
    uint32_t last = 0;
    for (uint32_t i = 0; i < list.count; ++i) {
        const OBJ9& o = list.elements[i];
        if ((o.Object == nullptr) != (o.ObjectSize == 0) || (i > 0 && o.PAID <= last)) std::abort();
        if (o.RecordType != 0x56 && o.RecordType != 0xD7) std::abort();
        volatile uint8_t sum = 0;
        for (uint32_t b = 0; b < o.ObjectSize; ++b) sum = sum + o.Object[b];
        last = o.PAID;
    }
    jq::promoindex::releaseObjectList(list);
    return 0;
}
