// name_fields.h - what the probe hands back: the computer's manufacturer and
// model as 32-byte fields of ANSI text, written into the shared memory
// objects that hostident reads.
#pragma once

#include <array>

#include "hostident.h"
#include "platform.h"

namespace jq::hostprobe {

// A name in its field: NUL-terminated, unused bytes zero.
using NameField = std::array<char, HOSTIDENT_NAME_FIELD_BYTES>;

// The probe's answer, zero until a query fills it: the manufacturer's field,
// then the model's.
struct ResultBlock {
    NameField manufacturer{};
    NameField model{};
};
static_assert(sizeof(ResultBlock) == 2 * HOSTIDENT_NAME_FIELD_BYTES);

// The name in the system's ANSI code page (platform::ansiFromUtf16), cut
// before the first character whose bytes would not fit the field with its
// terminating NUL: a long name loses whole characters, never half of one.
NameField nameField(const JQChar* name);

// Writes the model's field into its object, then the manufacturer's into
// its own: each opened for writing and closed again. An object that cannot be
// opened is skipped.
void publish(const ResultBlock& result);

}  // namespace jq::hostprobe
