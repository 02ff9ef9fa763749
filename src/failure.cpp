#include "failure.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <exception>
#include <new>
#include <optional>

#include "arguments.h"
#include "fault.h"

namespace quorvel {
namespace {

constexpr const char* panic_exception_name = "pyo3_runtime.PanicException";

constexpr const char* panic_exception_doc =
    "\n"
    "The exception raised when the native code of quorvel, called from Python, panics.\n"
    "\n"
    "Like SystemExit, this exception is derived from BaseException so that\n"
    "it will typically propagate all the way through the stack and cause the\n"
    "Python interpreter to exit.\n";

constexpr std::string_view resume_banner =
    "--- PyO3 is resuming a panic after fetching a PanicException from Python. ---\n"
    "Python stack trace below:\n";

constexpr std::string_view unwrapped_panic_message = "Unwrapped panic from Python code";

// Process-wide objects: each slot is filled once and never released.
std::atomic<PyObject*> panic_type_slot{nullptr};
std::array<std::atomic<PyObject*>, 3> attribute_name_slots{};

// Making an object can run Python code and so let another thread store one first; the first
// stored object is kept and the candidate released.
PyObject* keep_first_stored(std::atomic<PyObject*>& slot, PyRef candidate) noexcept {
    PyObject* stored = nullptr;
    if (slot.compare_exchange_strong(stored, candidate.get())) {
        return candidate.release();
    }
    return stored;
}

PyRef new_interned_str(std::string_view text) {
    PyObject* name = new_str(text).release();
    PyUnicode_InternInPlace(&name);
    return PyRef::steal(name);
}

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

PendingError system_error_none_set() {
    return PendingError::prepared(PyExc_SystemError,
                                  "attempted to fetch exception but none was set");
}

// The message a resumed panic carries: the value itself when it is a str.
Text resumed_message(PyObject* value) {
    if (value != nullptr && is_str(value)) {
        PyRef bytes = PyRef::steal(PyUnicode_AsUTF8String(value));
        if (bytes) {
            return Text(bytes_view(bytes.get()));
        }
        (void)fetch_pending_error();
    }
    return Text(unwrapped_panic_message);
}

// A PanicException of ours came back through Python code that we called: show it, then let
// the failure continue as the Fault it started as.
[[noreturn]] void resume_panic(PendingError panic) {
    const Text message = resumed_message(panic.value());
    write_to_standard_error(resume_banner);
    std::move(panic).raise();
    PyErr_PrintEx(0);
    resume_fault(message);
}

// The interpreter lock is already held; the nested acquisition keeps the description valid
// wherever it is made.
class NestedGilState {
  public:
    NestedGilState() noexcept : state_(PyGILState_Ensure()) {}
    ~NestedGilState() { PyGILState_Release(state_); }
    NestedGilState(const NestedGilState&) = delete;
    NestedGilState& operator=(const NestedGilState&) = delete;

  private:
    PyGILState_STATE state_;
};

[[noreturn]] void raise_type_creation_fault() {
    PendingError error = take_pending_error_or_system_error();
    Text message("Failed to initialize new exception type.: ");
    message += debug_description(error);
    raise_fault(message);
}

PendingError panic_error(std::string_view message) {
    PyObject* type = panic_exception_type();
    PyRef text = new_str(message);
    PyRef arguments = PyRef::steal(PyTuple_New(1));
    if (!arguments) {
        python_api_call_failed();
    }
    // Steals the item; cannot fail on a fresh tuple of size 1.
    PyTuple_SetItem(arguments.get(), 0, text.release());
    return PendingError::prepared(type, std::move(arguments));
}

// The last word when even MemoryError's message cannot be made: the interpreter's own
// preallocated MemoryError.
void raise_memory_error(std::optional<std::size_t> bytes) noexcept {
    char buffer[64];
    std::string_view message = "memory allocation failed";
    if (bytes) {
        constexpr std::string_view head = "memory allocation of ";
        constexpr std::string_view tail = " bytes failed";
        char* end = std::copy(head.begin(), head.end(), buffer);
        end = std::to_chars(end, buffer + sizeof buffer - tail.size(), *bytes).ptr;
        end = std::copy(tail.begin(), tail.end(), end);
        message = std::string_view(buffer, static_cast<std::size_t>(end - buffer));
    }
    PyRef text = PyRef::steal(
        PyUnicode_FromStringAndSize(message.data(), static_cast<Py_ssize_t>(message.size())));
    if (!text) {
        PyErr_NoMemory();
        return;
    }
    PendingError::prepared(PyExc_MemoryError, std::move(text)).raise();
}

// When even raising PanicException fails (its type cannot be made, say), the caller still
// gets an exception with the Fault's message rather than a Fault escaping the entry point.
void raise_fault_as_panic(const Text& message) noexcept {
    try {
        panic_error(message).raise();
    } catch (const AllocationFailure& failure) {
        raise_memory_error(failure.bytes);
    } catch (const std::bad_alloc&) {
        raise_memory_error(std::nullopt);
    } catch (...) {
        PyErr_SetString(PyExc_SystemError, message.c_str());
    }
}

// `what` is null for an exception that is not a std::exception.
void raise_unexpected_exception(const char* what) noexcept {
    try {
        Text message("unexpected C++ exception");
        if (what != nullptr) {
            message += ": ";
            message += what;
        } else {
            message += " of unknown type";
        }
        raise_fault(message);
    } catch (const Fault& fault) {
        raise_fault_as_panic(fault.message);
    } catch (...) {
        raise_memory_error(std::nullopt);
    }
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
    return PendingError(Form::prepared, PyRef::share(type), std::move(argument), PyRef());
}

PendingError PendingError::prepared(PyObject* type, std::string_view message) {
    return prepared(type, new_str(message));
}

PendingError PendingError::taken(PyRef type, PyRef value, PyRef traceback) noexcept {
    return PendingError(Form::taken, std::move(type), std::move(value), std::move(traceback));
}

void PendingError::normalise() noexcept {
    if (form_ == Form::complete) {
        return;
    }
    PyObject* type = type_.release();
    PyObject* value = value_.release();
    PyObject* traceback = traceback_.release();
    PyErr_NormalizeException(&type, &value, &traceback);
    type_ = PyRef::steal(type);
    value_ = PyRef::steal(value);
    traceback_ = PyRef::steal(traceback);
    form_ = Form::complete;
}

void PendingError::raise() && noexcept {
    PyErr_Restore(type_.release(), value_.release(), traceback_.release());
}

std::optional<PendingError> take_pending_error() {
    std::optional<PendingError> error = fetch_pending_error();
    // A type that has not been created yet cannot be the one that came back; testing the
    // stored slot also keeps a failing type creation from recursing through here.
    if (error && error->type() == panic_type_slot.load()) {
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
    return system_error_none_set();
}

void throw_pending_error() {
    throw take_pending_error_or_system_error();
}

void python_api_call_failed(std::source_location where) {
    PyErr_Print();
    raise_fault("Python API call failed", where);
}

Text debug_description(PendingError& error) {
    const NestedGilState gil;
    error.normalise();
    Text text("PyErr { type: ");
    text += repr_text(error.type());
    text += ", value: ";
    text += repr_text(error.value());
    text += ", traceback: ";
    if (error.traceback() != nullptr) {
        text += "Some(";
        text += repr_text(error.traceback());
        text += ")";
    } else {
        text += "None";
    }
    text += " }";
    return text;
}

PyObject* panic_exception_type() {
    if (PyObject* stored = panic_type_slot.load()) {
        return stored;
    }
    PyRef created = PyRef::steal(PyErr_NewExceptionWithDoc(
        panic_exception_name, panic_exception_doc, PyExc_BaseException, nullptr));
    if (!created) {
        raise_type_creation_fault();
    }
    return keep_first_stored(panic_type_slot, std::move(created));
}

PyObject* interned(AttributeName attribute) {
    auto& slot = attribute_name_slots[static_cast<std::size_t>(attribute)];
    if (PyObject* stored = slot.load()) {
        return stored;
    }
    switch (attribute) {
        case AttributeName::name:
            return keep_first_stored(slot, new_interned_str("__name__"));
        case AttributeName::all:
            return keep_first_stored(slot, new_interned_str("__all__"));
        case AttributeName::qualname:
            return keep_first_stored(slot, new_interned_str("__qualname__"));
    }
    return nullptr;
}

PyRef new_str(std::string_view text, std::source_location where) {
    PyRef result = PyRef::steal(
        PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
    if (!result) {
        python_api_call_failed(where);
    }
    return result;
}

void raise_caught_exception() noexcept {
    try {
        throw;
    } catch (PendingError& error) {
        std::move(error).raise();
    } catch (const Fault& fault) {
        raise_fault_as_panic(fault.message);
    } catch (const AllocationFailure& failure) {
        raise_memory_error(failure.bytes);
    } catch (const std::bad_alloc&) {
        raise_memory_error(std::nullopt);
    } catch (const std::exception& exception) {
        raise_unexpected_exception(exception.what());
    } catch (...) {
        raise_unexpected_exception(nullptr);
    }
}

}  // namespace quorvel
