/*
 * feedcore_exports.h - the list of feedcore's exports: for each its name, its
 * ordinal and the bytes of its arguments on the 32-bit stdcall stack.
 *
 * FEEDCORE_EXPORTS(X) applies X(name, ordinal, argumentBytes) to each in
 * ordinal order. The build makes the module definition file and the interface
 * checks from its X(...) items, and run-time binders of the
 * library take their names from them. The index libraries bind the first ten;
 * GetFileHeadInfo serves hosts alone.
 */
#ifndef FEEDCORE_EXPORTS_H
#define FEEDCORE_EXPORTS_H

#define FEEDCORE_EXPORTS(X)       \
    X(PreAnalyzeJQFile, 1, 8)     \
    X(AnalyzeJQFile, 2, 8)        \
    X(GetGCSP, 3, 8)              \
    X(SetDefaultGCSP, 4, 16)      \
    X(DecryptJQFile, 5, 8)        \
    X(FreeIndexList, 6, 4)        \
    X(FreeParseList, 7, 4)        \
    X(FreePackageList, 8, 4)      \
    X(OutputCSVFile, 9, 8)        \
    X(AnalyzeJQFile1Pack, 10, 12) \
    X(GetFileHeadInfo, 11, 8)

#endif /* FEEDCORE_EXPORTS_H */
