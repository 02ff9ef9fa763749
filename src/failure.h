// Interpreter references and the turning of every failure into a raised Python exception.
//
// Boundary code reports an ordinary Python exception by throwing PendingError and an
// unrecoverable failure by raising a Fault (fault.h); fault_trap, around each entry point,
// turns whatever arrives into the interpreter's "NULL with an exception set".
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <optional>
#include <source_location>
#include <string_view>
#include <utility>

#include "allocation.h"

namespace quorvel {

// Owns one strong interpreter reference. Move-only; the reference is released on destruction.
class PyRef {
  public:
    PyRef() noexcept = default;
    ~PyRef() { Py_XDECREF(object_); }
    PyRef(PyRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    PyRef& operator=(PyRef&& other) noexcept {
        if (this != &other) {
            // Release last: dropping the old object may run arbitrary Python code.
            PyObject* old = std::exchange(object_, std::exchange(other.object_, nullptr));
            Py_XDECREF(old);
        }
        return *this;
    }
    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;

    // Takes over a new reference (NULL allowed).
    static PyRef steal(PyObject* object) noexcept { return PyRef(object); }
    // Adds a reference of our own to a borrowed one (NULL allowed).
    static PyRef share(PyObject* object) noexcept {
        Py_XINCREF(object);
        return PyRef(object);
    }

    PyObject* get() const noexcept { return object_; }
    // Hands the reference to a caller that steals it.
    PyObject* release() noexcept { return std::exchange(object_, nullptr); }
    explicit operator bool() const noexcept { return object_ != nullptr; }

  private:
    explicit PyRef(PyObject* object) noexcept : object_(object) {}

    PyObject* object_ = nullptr;
};

// A Python exception waiting to be raised: either prepared here (a type and the argument the
// interpreter builds the instance from) or taken from the interpreter (its triple), and in
// either case possibly normalised into (type, instance, traceback).
class PendingError {
  public:
    enum class Form { prepared, taken, complete };

    // `argument` is a str message or a one-element tuple holding it.
    static PendingError prepared(PyObject* type, PyRef argument) noexcept;
    static PendingError prepared(PyObject* type, std::string_view message);
    static PendingError taken(PyRef type, PyRef value, PyRef traceback) noexcept;

    PendingError(PendingError&&) noexcept = default;
    PendingError& operator=(PendingError&&) noexcept = default;
    // A C++ exception object must be copyable; a copy holds references of its own. Only ever
    // made with the interpreter lock held, like every other reference operation here.
    PendingError(const PendingError& other);
    PendingError& operator=(const PendingError&) = delete;
    ~PendingError() = default;

    Form form() const noexcept { return form_; }
    PyObject* type() const noexcept { return type_.get(); }
    PyObject* value() const noexcept { return value_.get(); }
    PyObject* traceback() const noexcept { return traceback_.get(); }

    // Brings the error to its complete form; the interpreter creates the instance if needed.
    void normalise() noexcept;
    // Sets the interpreter's exception; the entry point then returns NULL.
    void raise() && noexcept;

  private:
    PendingError(Form form, PyRef type, PyRef value, PyRef traceback) noexcept;

    Form form_;
    PyRef type_;
    PyRef value_;
    PyRef traceback_;
};

// The interpreter's pending exception, cleared, or nothing when none is set. A PanicException
// of this module coming back from Python code is resumed as a Fault instead (never returns).
std::optional<PendingError> take_pending_error();

// Takes the pending exception, if any, and drops it.
void drop_pending_error();

// For a caller that has just seen an interpreter function fail: the pending exception, or a
// SystemError when the interpreter set none.
PendingError take_pending_error_or_system_error();

// Throws the pending exception (or the SystemError fallback) as a PendingError.
[[noreturn]] void throw_pending_error();

// An object that the interpreter must be able to create could not be: prints the interpreter's
// exception and raises the Fault "Python API call failed".
[[noreturn]] void python_api_call_failed(
    std::source_location where = std::source_location::current());

// "PyErr { type: T, value: V, traceback: B }" of the error, normalising it first.
Text debug_description(PendingError& error);

// The PanicException type, created on first need and kept for the life of the process.
PyObject* panic_exception_type();

// The attribute names the boundary reads or sets, interned once and kept for the process.
enum class AttributeName { name, all, qualname };
PyObject* interned(AttributeName attribute);

// A new str of UTF-8 text; a NULL result follows the "Python API call failed" rule.
PyRef new_str(std::string_view text, std::source_location where = std::source_location::current());

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
