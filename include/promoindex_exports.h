/*
 * promoindex_exports.h - the list of promoindex's exports: for each its
 * name, its ordinal and the bytes of its arguments on the 32-bit stdcall
 * stack.
 *
 * PROMOINDEX_EXPORTS(X) applies X(name, ordinal, argumentBytes) to each in
 * ordinal order. The build makes the module definition file and the interface
 * checks from its X(...) items, and run-time binders of the library take
 * their names from them.
 */
#ifndef PROMOINDEX_EXPORTS_H
#define PROMOINDEX_EXPORTS_H

#define PROMOINDEX_EXPORTS(X) \
    X(GetEnumOBJ9, 1, 8)      \
    X(FreeOBJ9List, 2, 4)

#endif /* PROMOINDEX_EXPORTS_H */
