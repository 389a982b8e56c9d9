/*
 * idindex_exports.h - the list of idindex's exports: for each its name, its
 * ordinal and the bytes of its arguments on the 32-bit stdcall stack.
 *
 * IDINDEX_EXPORTS(X) applies X(name, ordinal, argumentBytes) to each in
 * ordinal order. The build makes the module definition file and the interface
 * checks from its X(...) items, and run-time binders of the
 * library take their names from them.
 */
#ifndef IDINDEX_EXPORTS_H
#define IDINDEX_EXPORTS_H

#define IDINDEX_EXPORTS(X)        \
    X(InitializeJQID, 1, 0)       \
    X(UnInitializeJQID, 2, 0)     \
    X(GetGRT, 3, 8)               \
    X(IsFindJQID, 4, 12)          \
    X(IsEffective, 5, 8)          \
    X(GetJQIDData, 6, 16)         \
    X(FreeJQIDData, 7, 4)         \
    X(GetJQIDLinkList, 8, 16)     \
    X(GetGRT2JQIDLinkList, 9, 20) \
    X(GetGRT2JQIDList, 10, 12)    \
    X(FreeJQIDList, 11, 4)        \
    X(GetShowEvent2JQID, 12, 16)  \
    X(GetPAD2JQID, 13, 12)        \
    X(GetTAD2JQID, 14, 12)        \
    X(GetMSID2JQID, 15, 16)

#endif /* IDINDEX_EXPORTS_H */
