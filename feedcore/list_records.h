// list_records.h - the C list records handed to callers: building them from
// the readers' results, and releasing them.
//
// Everything a list element points to is allocated here with new[] and
// released here, so that only this library's heap is involved.
#pragma once

#include <cstdint>
#include <vector>

#include "feedcore.h"
#include "file_readers.h"
#include "package.h"

namespace jq {

// An owned copy of a null-terminated path.
JQChar* copyPath(const JQChar* path);
// An owned copy of bytes; null when there are none.
uint8_t* copyBytes(const uint8_t* bytes, size_t count);

// Fills list with the items; on an exception nothing is left allocated and
// the list record is untouched.
void fillIndexList(const JQChar* path, const std::vector<IndexItem>& items, IndexList& list);
// The list takes over each package's data array, which leaves the package:
// the data is not copied. On an exception every array has still exactly one
// owner, a package or a record that is released before the exception leaves.
void fillPackageList(const JQChar* path, std::vector<Package>& packages, PackageList& list);

void releaseIndexList(IndexList& list);
void releasePackageList(PackageList& list);

// Copies a package's header fields and packet header into a parse element.
void copyHeaderFields(const Package& package, ParseElement& element);

}  // namespace jq
