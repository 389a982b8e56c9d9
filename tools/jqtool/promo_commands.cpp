// promo_commands.cpp - "jqtool promo [FOLDER...]": loads promoindex from
// beside jqtool, calls GetEnumOBJ9 with the folders of the command line (or
// none, so that the library reads AD.ini beside jqtool), prints one line per
// object and, with --save, writes each object's bytes to a file named after
// its PAID. The list goes back through FreeOBJ9List.
#include "promo_commands.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "bound_exports.h"
#include "bound_library.h"
#include "host_folder_list.h"
#include "promoindex.h"
#include "promoindex_exports.h"
#include "status_text.h"

namespace jqtool {

const char* const kPromoHelp =
    "Lists the advertisement objects of the A files (promoindex beside jqtool), one per PAID\n"
    "  in ascending order: PAID, record type, HostID of the package, object size. Without\n"
    "  FOLDERs the library reads the folders of AD.ini beside jqtool; a Tolvo.ini there makes\n"
    "  it take every file of a folder.\n"
    "    --save DIR   also write each object's bytes to DIR/<PAID as 8 hex digits>.bin";

namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

JQ_BOUND_EXPORTS(PromoIndexExports, PROMOINDEX_EXPORTS);

using PromoIndex = BoundLibrary<PromoIndexExports>;

bool save(const fs::path& folder, const OBJ9& object) {
    char name[16];
    std::snprintf(name, sizeof name, "%08X.bin", static_cast<unsigned>(object.PAID));
    const fs::path path = folder / name;
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    if (out == nullptr) return false;
    const bool written =
        object.ObjectSize == 0 || std::fwrite(object.Object, object.ObjectSize, 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

int usage() {
    std::fprintf(stderr, "usage: jqtool promo [FOLDER...] [--save DIR]\n  %s\n", kPromoHelp);
    return kExitUsage;
}

}  // namespace

int runPromo(const std::vector<std::string>& args) {
    std::vector<std::string> folders;
    std::optional<fs::path> saveFolder;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--save") {
            if (++i == args.size() || saveFolder) return usage();
            saveFolder = args[i];
        } else if (args[i].starts_with("--")) {
            std::fprintf(stderr, "jqtool: unknown promo option '%s'\n", args[i].c_str());
            return usage();
        } else {
            folders.push_back(args[i]);
        }
    }
    if (saveFolder) {
        std::error_code error;
        fs::create_directories(*saveFolder, error);
        if (!fs::is_directory(*saveFolder)) {
            std::fprintf(stderr, "jqtool: cannot create folder %s\n", saveFolder->string().c_str());
            return kExitFailure;
        }
    }

    PromoIndex index;
    std::string error;
    if (!index.load(JQ_PATH("promoindex"), "promoindex", error)) {
        std::fprintf(stderr, "jqtool: %s\n", error.c_str());
        return kExitFailure;
    }
    const HostFolderList<OBJ9FolderList> list(folders);
    OBJ9List objects{};
    const uint32_t status = index.GetEnumOBJ9(&objects, folders.empty() ? nullptr : list.get());
    if (status != 0) {
        std::fprintf(stderr, "jqtool: GetEnumOBJ9: status %s\n", describeStatus(status).c_str());
        return kExitFailure;
    }
    int result = kExitOk;
    std::printf("objects: %u\nPAID,type,HostID,size\n", objects.count);
    for (uint32_t i = 0; objects.elements != nullptr && i < objects.count; ++i) {
        const OBJ9& o = objects.elements[i];
        std::printf("0x%08X,0x%02X,%u,%u\n", static_cast<unsigned>(o.PAID), o.RecordType, o.HostID,
                    static_cast<unsigned>(o.ObjectSize));
        if (saveFolder && !save(*saveFolder, o)) {
            std::fprintf(stderr, "jqtool: cannot write the object 0x%08X into %s\n",
                         static_cast<unsigned>(o.PAID), saveFolder->string().c_str());
            result = kExitFailure;
        }
    }
    index.FreeOBJ9List(&objects);
    return result;
}

}  // namespace jqtool
