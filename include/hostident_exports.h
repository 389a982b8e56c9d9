/*
 * hostident_exports.h - the list of hostident's exports: for each its name,
 * its ordinal and the bytes of its arguments on the 32-bit stdcall stack.
 *
 * HOSTIDENT_EXPORTS(X) applies X(name, ordinal, argumentBytes) to each in
 * ordinal order. The build makes the module definition file and the interface
 * checks from its X(...) items, and run-time binders of the library take
 * their names from them.
 */
#ifndef HOSTIDENT_EXPORTS_H
#define HOSTIDENT_EXPORTS_H

#define HOSTIDENT_EXPORTS(X) \
    X(GetModelName, 1, 12)   \
    X(GetManufacturerName, 2, 12)

#endif /* HOSTIDENT_EXPORTS_H */
