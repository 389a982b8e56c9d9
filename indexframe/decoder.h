// decoder.h - feedcore as the index libraries use it: loaded at run time from
// beside the host executable, its ten entry points bound by name.
#pragma once

#include "feedcore.h"
#include "platform.h"

namespace jq::index {

// The entry points, in the order in which they are bound.
struct DecoderEntryPoints {
    decltype(&::PreAnalyzeJQFile) PreAnalyzeJQFile = nullptr;
    decltype(&::AnalyzeJQFile) AnalyzeJQFile = nullptr;
    decltype(&::GetGCSP) GetGCSP = nullptr;
    decltype(&::SetDefaultGCSP) SetDefaultGCSP = nullptr;
    decltype(&::DecryptJQFile) DecryptJQFile = nullptr;
    decltype(&::FreeIndexList) FreeIndexList = nullptr;
    decltype(&::FreeParseList) FreeParseList = nullptr;
    decltype(&::FreePackageList) FreePackageList = nullptr;
    decltype(&::OutputCSVFile) OutputCSVFile = nullptr;
    decltype(&::AnalyzeJQFile1Pack) AnalyzeJQFile1Pack = nullptr;
};

class Decoder {
public:
    // Loads the library at path and binds all ten entry points: 0, or 23 with
    // nothing kept loaded when the library or any entry point is missing.
    JQStatus load(const JQChar* path);
    void unload();
    bool isLoaded() const { return module_.isLoaded(); }
    // Valid while loaded.
    const DecoderEntryPoints& entryPoints() const { return entryPoints_; }

private:
    platform::Module module_;
    DecoderEntryPoints entryPoints_;
};

}  // namespace jq::index
