// library_state.h - the state every stateful index library keeps, and the
// scope its exports run in: one lock, one context that exists from the first
// initialisation to the uninitialisation.
#pragma once

#include "jq_interface.h"
#include "platform.h"

namespace jq::index {

// Context is the library's IndexFrame: ready() tells whether feedcore is
// loaded, tables() gives the tables.
template <typename Context>
struct LibraryState {
    explicit LibraryState(JQStatus notLoadedAnswer) : notLoaded(notLoadedAnswer) {}

    // What a query with an output answers while there is no context or
    // feedcore is not loaded: 4097, or 4099 for a library that answers "not
    // found" then.
    const JQStatus notLoaded;
    platform::RecursiveLock lock;  // created when the library is loaded
    Context* context = nullptr;
};

// Holds the library lock from construction to the end of the export.
template <typename Context>
class ExportScope {
public:
    explicit ExportScope(LibraryState<Context>& state) : state_(state) { state_.lock.lock(); }
    ExportScope(const ExportScope&) = delete;
    ExportScope& operator=(const ExportScope&) = delete;
    ~ExportScope() { state_.lock.unlock(); }

    bool hasContext() const { return state_.context != nullptr; }
    // A context whose feedcore is loaded.
    bool ready() const { return hasContext() && state_.context->ready(); }

    // Why a query with this output cannot run: notLoaded without a context,
    // 17 for a null output, notLoaded while feedcore is not loaded; 0 when
    // it can.
    JQStatus refusal(const void* output) const {
        if (!hasContext()) return state_.notLoaded;
        if (output == nullptr) return JQ_ERR_NULL_ARGUMENT;
        if (!state_.context->ready()) return state_.notLoaded;
        return JQ_OK;
    }

    // Valid when ready().
    const auto& tables() const { return state_.context->tables(); }
    Context*& context() { return state_.context; }

    // The initialisation: makes the context with make() when there is none
    // and returns load(context). An exception keeps the context, emptied of
    // what the failed load filed, and gives 16.
    template <typename Make, typename Load>
    JQStatus initialise(Make make, Load load) {
        Context*& context = state_.context;
        try {
            if (context == nullptr) context = make();
            return load(*context);
        } catch (...) {
            if (context != nullptr) context->clear(false);
            return JQ_ERR_EXCEPTION;
        }
    }

    // The uninitialisation: destroys the context, which releases the kept
    // lists and feedcore. 0, or 4097 when there is none.
    JQStatus destroyContext() {
        if (state_.context == nullptr) return JQ_ERR_NOT_INITIALIZED;
        delete state_.context;
        state_.context = nullptr;
        return JQ_OK;
    }

private:
    LibraryState<Context>& state_;
};

}  // namespace jq::index
