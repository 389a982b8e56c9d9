// decoder.cpp - loading feedcore and binding its entry points.
#include "decoder.h"

namespace jq::index {
namespace {

// Binds one entry point; false when it is missing.
template <typename Function>
bool bind(const platform::Module& module, const char* name, Function& function) {
    function = module.entryPoint<Function>(name);
    return function != nullptr;
}

// Binds the entry points in order, stopping at the first that is missing.
bool bindAll(const platform::Module& m, DecoderEntryPoints& e) {
    return bind(m, "PreAnalyzeJQFile", e.PreAnalyzeJQFile) &&
           bind(m, "AnalyzeJQFile", e.AnalyzeJQFile) && bind(m, "GetGCSP", e.GetGCSP) &&
           bind(m, "SetDefaultGCSP", e.SetDefaultGCSP) &&
           bind(m, "DecryptJQFile", e.DecryptJQFile) && bind(m, "FreeIndexList", e.FreeIndexList) &&
           bind(m, "FreeParseList", e.FreeParseList) &&
           bind(m, "FreePackageList", e.FreePackageList) &&
           bind(m, "OutputCSVFile", e.OutputCSVFile) &&
           bind(m, "AnalyzeJQFile1Pack", e.AnalyzeJQFile1Pack);
}

}  // namespace

JQStatus Decoder::load(const JQChar* path) {
    unload();
    module_ = platform::Module::load(path);
    if (module_.isLoaded() && bindAll(module_, entryPoints_)) return JQ_OK;
    unload();
    return JQ_ERR_NO_DECODER;
}

void Decoder::unload() {
    module_.unload();
    entryPoints_ = {};
}

}  // namespace jq::index
