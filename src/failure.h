// Turning every failure of an entry point into a raised Python exception.
//
// Boundary code reports an ordinary Python exception by throwing PendingError
// (pending_error.h) and an unrecoverable failure by raising a Fault (fault.h); fault_trap,
// around each entry point, turns whatever arrives into the interpreter's "NULL with an
// exception set": a Fault becomes pyo3_runtime.PanicException, memory exhaustion MemoryError.
#pragma once

#include <utility>

#include "pending_error.h"
#include "py_ref.h"

namespace quorvel {

// The PanicException type, made on first need and kept for the life of the process.
PyObject* panic_exception_type();

// Raises the exception that is being handled (PendingError, Fault, memory exhaustion, or any
// other C++ exception) in the interpreter. Must be called from inside a catch handler.
void raise_caught_exception() noexcept;

// Runs an entry point's body and returns its object as a new reference, or NULL with the
// interpreter's exception set. Nothing thrown by the body gets past it.
template <class Body>
PyObject* fault_trap(Body&& body) noexcept {
    try {
        PyRef result = std::forward<Body>(body)();
        return result.release();
    } catch (...) {
        raise_caught_exception();
        return nullptr;
    }
}

}  // namespace quorvel
