// dispatch.h - the record type table: from a package's type code to its
// family's parser, its ParseElement slot, its CSV writer and its release.
#pragma once

#include <vector>

#include "feedcore.h"
#include "package.h"
#include "records/record_family.h"

namespace jq {

// Parses one package into element: 21 for a type code without a parser
// (element untouched), else the parser's status. The record is stored in its
// slot before the parser runs, so a failed parse leaves it there.
JQStatus dispatchPackage(const Package& package, ParseElement& element);

// Builds a parse list from read packages: every element is allocated, the
// packages are dispatched in order until the first failure, whose status is
// returned. Elements after it stay empty.
JQStatus buildParseList(const std::vector<Package>& packages, ParseList& list);

// Releases an element's record and packet header; leaves it empty.
void releaseParseElement(ParseElement& element);
void releaseParseList(ParseList& list);

// The CSV writer chosen by recordType and the record it writes, or null.
records::CsvWriter csvWriterFor(const ParseElement& element, const void*& record);

}  // namespace jq
