// bound_exports.h - the exports of a library loaded at run time, bound by
// name from the library's export list (FEEDCORE_EXPORTS and the like).
//
//   JQ_BOUND_EXPORTS(IdIndexExports, IDINDEX_EXPORTS);
//
// declares a struct with one function pointer per export, named and typed as
// the export is declared, and
//
//   const char* bind(const platform::Module& module, uint32_t lastOrdinal = all)
//
// which binds them in ordinal order up to lastOrdinal and returns null, or
// stops at the first that is missing and returns its name. The list's argument
// sizes are checked against the declarations by JQ_CHECK_ARGUMENT_BYTES.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform.h"

namespace jq::platform {

// The bytes a stdcall function of this type takes from the 32-bit stack: each
// argument rounded up to 4 bytes, pointers 4 bytes.
template <typename Result, typename... Arguments>
constexpr uint32_t stdcallArgumentBytes(Result(JQ_CALL*)(Arguments...)) {
    return (0u + ... + (std::is_pointer_v<Arguments> ? 4u : (sizeof(Arguments) + 3u) / 4u * 4u));
}

}  // namespace jq::platform

#define JQ_BOUND_EXPORT_POINTER(name, ordinal, bytes) decltype(&::name) name = nullptr;
#define JQ_BIND_EXPORT(name, ordinal, bytes)                \
    if ((ordinal) <= lastOrdinal) {                         \
        name = module.entryPoint<decltype(&::name)>(#name); \
        if (name == nullptr) return #name;                  \
    }

#define JQ_BOUND_EXPORTS(Struct, LIST)                         \
    struct Struct {                                            \
        LIST(JQ_BOUND_EXPORT_POINTER)                          \
        const char* bind(const ::jq::platform::Module& module, \
                         uint32_t lastOrdinal = UINT32_MAX) {  \
            LIST(JQ_BIND_EXPORT)                               \
            return nullptr;                                    \
        }                                                      \
    }

#define JQ_CHECK_ARGUMENT_BYTE(name, ordinal, bytes)                        \
    static_assert(::jq::platform::stdcallArgumentBytes(&::name) == (bytes), \
                  #name ": argument bytes differ from the export list");
// Checks every export's argument bytes in the list against its declaration.
#define JQ_CHECK_ARGUMENT_BYTES(LIST) LIST(JQ_CHECK_ARGUMENT_BYTE)
