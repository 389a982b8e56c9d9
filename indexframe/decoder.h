// decoder.h - feedcore as the index libraries use it: loaded at run time from
// beside the host executable, its first ten entry points bound by name.
#pragma once

#include "bound_exports.h"
#include "feedcore.h"
#include "feedcore_exports.h"
#include "platform.h"

namespace jq::index {

// feedcore's entry points; the index libraries bind all but GetFileHeadInfo.
JQ_BOUND_EXPORTS(DecoderEntryPoints, FEEDCORE_EXPORTS);

// The ordinal of the last entry point the index libraries bind.
constexpr uint32_t kLastBoundEntryPoint = 10;

class Decoder {
public:
    // Loads the library at path and binds the entry points in order: 0, or 23
    // with nothing kept loaded when the library or any entry point is missing.
    JQStatus load(const JQChar* path);
    // Takes entry points that need no library, such as a test's fake
    // decoder's, as loaded.
    void adopt(const DecoderEntryPoints& entryPoints);
    void unload();
    bool isLoaded() const { return loaded_; }
    // Valid while loaded.
    const DecoderEntryPoints& entryPoints() const { return entryPoints_; }

private:
    platform::Module module_;
    DecoderEntryPoints entryPoints_;
    bool loaded_ = false;
};

// How a frame gets its decoder when it has none loaded: 0 or 23.
using DecoderSource = JQStatus (*)(Decoder& decoder);

// feedcore from the host executable's folder.
JQStatus loadDecoderBesideHost(Decoder& decoder);

}  // namespace jq::index
