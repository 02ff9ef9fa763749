// PendingError: a Python exception waiting to be raised, and taking the one the interpreter
// has set, with the rule for a PanicException of ours that comes back through Python code.
#pragma once

#include <optional>
#include <string_view>

#include "py_ref.h"

namespace quorvel {

// Either prepared here (a type and the argument the interpreter builds the instance from) or
// taken from the interpreter (its triple), and in either case possibly normalised into (type,
// instance, traceback).
class PendingError {
  public:
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

    PyObject* type() const noexcept { return type_.get(); }
    PyObject* value() const noexcept { return value_.get(); }
    PyObject* traceback() const noexcept { return traceback_.get(); }

    // Brings the error to its complete form; the interpreter creates the instance if needed.
    void normalise() noexcept;
    // Sets the interpreter's exception; the entry point then returns NULL.
    void raise() && noexcept;

  private:
    enum class Form { Prepared, Taken, Complete };

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

// The PanicException type once it has been made, else NULL; and the keeping of the one made.
PyObject* stored_panic_exception_type() noexcept;
PyObject* store_panic_exception_type(PyRef type) noexcept;

}  // namespace quorvel
