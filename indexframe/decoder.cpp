// decoder.cpp - loading feedcore and binding its entry points.
#include "decoder.h"

namespace jq::index {

JQStatus Decoder::load(const JQChar* path) {
    unload();
    module_ = platform::Module::load(path);
    loaded_ = module_.isLoaded() && entryPoints_.bind(module_, kLastBoundEntryPoint) == nullptr;
    if (loaded_) return JQ_OK;
    unload();
    return JQ_ERR_NO_DECODER;
}

void Decoder::adopt(const DecoderEntryPoints& entryPoints) {
    unload();
    entryPoints_ = entryPoints;
    loaded_ = true;
}

void Decoder::unload() {
    module_.unload();
    entryPoints_ = {};
    loaded_ = false;
}

JQStatus loadDecoderBesideHost(Decoder& decoder) {
    const platform::PathString path =
        platform::pathBesideHost(platform::sharedLibraryFileName(JQ_PATH("feedcore")).c_str());
    return decoder.load(path.c_str());
}

}  // namespace jq::index
