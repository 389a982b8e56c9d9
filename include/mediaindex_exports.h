/*
 * mediaindex_exports.h - the list of mediaindex's exports: for each its
 * name, its ordinal and the bytes of its arguments on the 32-bit stdcall
 * stack.
 *
 * MEDIAINDEX_EXPORTS(X) applies X(name, ordinal, argumentBytes) to each in
 * ordinal order. The build makes the module definition file and the interface
 * checks from its X(...) items, and run-time binders of the library take
 * their names from them.
 */
#ifndef MEDIAINDEX_EXPORTS_H
#define MEDIAINDEX_EXPORTS_H

#define MEDIAINDEX_EXPORTS(X)  \
    X(InitializeMICP, 1, 0)    \
    X(UnInitializeMICP, 2, 0)  \
    X(GetMICPDataSize, 3, 4)   \
    X(GetMICPData, 4, 12)      \
    X(GetMICPData2, 5, 12)     \
    X(FreeMICPData, 6, 4)

#endif /* MEDIAINDEX_EXPORTS_H */
