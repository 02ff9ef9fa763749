// Pending Python exceptions: prepared, taken from the interpreter, normalised and raised; and
// the resumption of a PanicException of ours that Python code we called let through.
#include "pending_error.h"

#include <atomic>

#include "allocation.h"
#include "fault.h"
#include "python_text.h"

namespace quorvel {
namespace {

constexpr std::string_view kNoneSet = "attempted to fetch exception but none was set";
constexpr std::string_view kResumeBanner =
    "--- PyO3 is resuming a panic after fetching a PanicException from Python. ---\n"
    "Python stack trace below:\n";
constexpr std::string_view kUnwrappedPanic = "Unwrapped panic from Python code";

std::atomic<PyObject*> panic_type_slot{nullptr};

// Takes the interpreter's exception triple without looking at its type.
std::optional<PendingError> fetch_pending_error() noexcept {
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    PyRef owned_type = PyRef::steal(type);
    PyRef owned_value = PyRef::steal(value);
    PyRef owned_traceback = PyRef::steal(traceback);
    if (!owned_type) {
        return std::nullopt;
    }
    return PendingError::taken(std::move(owned_type), std::move(owned_value),
                               std::move(owned_traceback));
}

// The message a resumed panic carries: the value itself when it is a str.
Text resumed_message(PyObject* value) {
    if (value != nullptr && is_str(value)) {
        if (const PyRef bytes = utf8_bytes(value)) {
            return Text(bytes_view(bytes.get()));
        }
        (void)fetch_pending_error();
    }
    return Text(kUnwrappedPanic);
}

// A PanicException of ours came back through Python code that we called: show it, then let
// the failure continue as the Fault it started as.
[[noreturn]] void resume_panic(PendingError panic) {
    const Text message = resumed_message(panic.value());
    write_to_standard_error(kResumeBanner);
    std::move(panic).raise();
    PyErr_PrintEx(0);
    resume_fault(message);
}

}  // namespace

PendingError::PendingError(Form form, PyRef type, PyRef value, PyRef traceback) noexcept
    : form_(form),
      type_(std::move(type)),
      value_(std::move(value)),
      traceback_(std::move(traceback)) {}

PendingError::PendingError(const PendingError& other)
    : form_(other.form_),
      type_(PyRef::share(other.type())),
      value_(PyRef::share(other.value())),
      traceback_(PyRef::share(other.traceback())) {}

PendingError PendingError::prepared(PyObject* type, PyRef argument) noexcept {
    return PendingError(Form::Prepared, PyRef::share(type), std::move(argument), PyRef());
}

PendingError PendingError::prepared(PyObject* type, std::string_view message) {
    return prepared(type, new_str(message));
}

PendingError PendingError::taken(PyRef type, PyRef value, PyRef traceback) noexcept {
    return PendingError(Form::Taken, std::move(type), std::move(value), std::move(traceback));
}

void PendingError::normalise() noexcept {
    if (form_ == Form::Complete) {
        return;
    }
    PyObject* type = type_.release();
    PyObject* value = value_.release();
    PyObject* traceback = traceback_.release();
    PyErr_NormalizeException(&type, &value, &traceback);
    type_ = PyRef::steal(type);
    value_ = PyRef::steal(value);
    traceback_ = PyRef::steal(traceback);
    form_ = Form::Complete;
}

void PendingError::raise() && noexcept {
    PyErr_Restore(type_.release(), value_.release(), traceback_.release());
}

std::optional<PendingError> take_pending_error() {
    std::optional<PendingError> error = fetch_pending_error();
    // A type that has not been made yet cannot be the one that came back; testing the stored
    // slot also keeps a failing creation of the type from recursing through here.
    if (error && error->type() == stored_panic_exception_type()) {
        resume_panic(std::move(*error));
    }
    return error;
}

void drop_pending_error() {
    (void)take_pending_error();
}

PendingError take_pending_error_or_system_error() {
    if (std::optional<PendingError> error = take_pending_error()) {
        return std::move(*error);
    }
    return PendingError::prepared(PyExc_SystemError, kNoneSet);
}

void throw_pending_error() {
    throw take_pending_error_or_system_error();
}

PyObject* stored_panic_exception_type() noexcept {
    return panic_type_slot.load();
}

PyObject* store_panic_exception_type(PyRef type) noexcept {
    return keep_first_stored(panic_type_slot, std::move(type));
}

}  // namespace quorvel
