// library_state.h - the state every stateful index library keeps, and the
// wrapper its exports run in: one lock, one context that exists from the
// first initialisation to the uninitialisation.
#pragma once

#include <mutex>

#include "feedcore.h"
#include "platform.h"

namespace jq::index {

template <typename Context>
struct LibraryState {
    platform::RecursiveLock lock;  // created when the library is loaded
    Context* context = nullptr;
};

// Runs a query under the lock: notInitialised without a context, else the
// query's answer. Exceptions pass.
template <typename Answer, typename Context, typename Query>
Answer underLock(LibraryState<Context>& state, Answer notInitialised, Query query) {
    std::lock_guard<platform::RecursiveLock> guard(state.lock);
    if (state.context == nullptr) return notInitialised;
    return query(*state.context);
}

// The same for the exports that turn an exception into 16.
template <typename Context, typename Query>
JQStatus underLockCatching(LibraryState<Context>& state, Query query) {
    std::lock_guard<platform::RecursiveLock> guard(state.lock);
    if (state.context == nullptr) return JQ_ERR_NOT_INITIALIZED;
    try {
        return query(*state.context);
    } catch (...) {
        return JQ_ERR_EXCEPTION;
    }
}

// A query with an output: 17 when it is null, 4097 while feedcore is not
// loaded (the empty state), else the lookup's status.
template <typename Output, typename Lookup>
JQStatus answerInto(bool decoderLoaded, Output* output, Lookup lookup) {
    if (output == nullptr) return JQ_ERR_NULL_ARGUMENT;
    if (!decoderLoaded) return JQ_ERR_NOT_INITIALIZED;
    return lookup(*output);
}

}  // namespace jq::index
