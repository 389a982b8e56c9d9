/*
 * newsindex_exports.h - the list of newsindex's exports: for each its name,
 * its ordinal and the bytes of its arguments on the 32-bit stdcall stack.
 *
 * NEWSINDEX_EXPORTS(X) applies X(name, ordinal, argumentBytes) to each in
 * ordinal order. The build makes the module definition file and the interface
 * checks from its X(...) items, and run-time binders of the library take
 * their names from them.
 */
#ifndef NEWSINDEX_EXPORTS_H
#define NEWSINDEX_EXPORTS_H

#define NEWSINDEX_EXPORTS(X)  \
    X(InitializeTpc, 1, 4)    \
    X(UnInitializeTpc, 2, 0)  \
    X(GetMajorIDList, 3, 4)   \
    X(FreeMajorIDList, 4, 4)  \
    X(GetMinorIDList, 5, 8)   \
    X(FreeMinorIDList, 6, 4)  \
    X(GetTopicsData, 7, 16)   \
    X(FreeTopicsData, 8, 4)

#endif /* NEWSINDEX_EXPORTS_H */
