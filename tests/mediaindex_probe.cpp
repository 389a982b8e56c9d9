// mediaindex_probe - a host of mediaindex alone, linked to it but not to
// feedcore, so that tests can run it in a folder with or without feedcore.
// It runs the calls named on its command line in order and prints each
// answer on a line of its own, "<call>=<result>":
//
//   init | uninit        InitializeMICP, UnInitializeMICP
//   size NAME            GetMICPDataSize
//   get NAME SIZE FILE   GetMICPData into a buffer of SIZE bytes followed by
//                        canary bytes; the buffer goes to FILE, and a line
//                        "canary=intact" or "canary=overwritten" follows
//   get2 NAME FILE       GetMICPData2, its length, the data to FILE, and
//                        whether FreeMICPData nulled the pointer
//   nulls                every query with each of its pointers null
//
// Names are ASCII, widened to UTF-16.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mediaindex.h"

namespace {

constexpr size_t kCanarySize = 16;
constexpr uint8_t kCanary = 0xA5;

std::basic_string<JQChar> wide(const char* text) {
    std::basic_string<JQChar> out;
    for (; *text != 0; ++text)
        out.push_back(static_cast<JQChar>(static_cast<unsigned char>(*text)));
    return out;
}

bool save(const char* file, const uint8_t* bytes, size_t size) {
    std::FILE* out = std::fopen(file, "wb");
    if (out == nullptr) return false;
    const bool written = size == 0 || std::fwrite(bytes, 1, size, out) == size;
    return std::fclose(out) == 0 && written;
}

void get(const char* name, size_t size, const char* file) {
    std::vector<uint8_t> buffer(size + kCanarySize, kCanary);
    std::printf("GetMICPData(%s,%lu)=%u\n", name, static_cast<unsigned long>(size),
                GetMICPData(wide(name).c_str(), buffer.data(), static_cast<uint32_t>(size)));
    bool intact = true;
    for (size_t i = size; i < buffer.size(); ++i) intact = intact && buffer[i] == kCanary;
    std::printf("canary=%s\n", intact ? "intact" : "overwritten");
    if (!save(file, buffer.data(), size)) std::printf("cannot write %s\n", file);
}

void get2(const char* name, const char* file) {
    uint8_t* data = nullptr;
    uint32_t length = 0;
    const JQStatus status = GetMICPData2(wide(name).c_str(), &data, &length);
    std::printf("GetMICPData2(%s)=%u length=%u\n", name, status, length);
    if (data != nullptr && !save(file, data, length)) std::printf("cannot write %s\n", file);
    FreeMICPData(&data);
    std::printf("FreeMICPData=%s\n", data == nullptr ? "null" : "kept");
}

void nulls() {
    const std::basic_string<JQChar> name = wide("X");
    uint8_t buffer[4];
    uint8_t* data = nullptr;
    uint32_t length = 0;
    std::printf("GetMICPDataSize.null=%u\n", GetMICPDataSize(nullptr));
    std::printf("GetMICPData.null=%u,%u\n", GetMICPData(nullptr, buffer, sizeof buffer),
                GetMICPData(name.c_str(), nullptr, sizeof buffer));
    std::printf("GetMICPData2.null=%u,%u,%u\n", GetMICPData2(nullptr, &data, &length),
                GetMICPData2(name.c_str(), nullptr, &length),
                GetMICPData2(name.c_str(), &data, nullptr));
    FreeMICPData(nullptr);
    FreeMICPData(&data);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string call = argv[i];
        const int left = argc - i - 1;
        if (call == "init") {
            std::printf("InitializeMICP=%u\n", InitializeMICP());
        } else if (call == "uninit") {
            std::printf("UnInitializeMICP=%u\n", UnInitializeMICP());
        } else if (call == "size" && left >= 1) {
            std::printf("GetMICPDataSize(%s)=%u\n", argv[i + 1],
                        GetMICPDataSize(wide(argv[i + 1]).c_str()));
            i += 1;
        } else if (call == "get" && left >= 3) {
            get(argv[i + 1], std::strtoul(argv[i + 2], nullptr, 10), argv[i + 3]);
            i += 3;
        } else if (call == "get2" && left >= 2) {
            get2(argv[i + 1], argv[i + 2]);
            i += 2;
        } else if (call == "nulls") {
            nulls();
        } else {
            std::fprintf(stderr, "mediaindex_probe: bad call %s\n", call.c_str());
            return 2;
        }
    }
    return 0;
}
