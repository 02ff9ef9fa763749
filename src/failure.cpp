// The PanicException type, and raising whatever reaches an entry point's trap.
#include "failure.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>

#include "allocation.h"
#include "fault.h"
#include "number_text.h"
#include "object_text.h"
#include "python_text.h"

namespace quorvel {
namespace {

constexpr const char* kPanicExceptionName = "pyo3_runtime.PanicException";
constexpr const char* kPanicExceptionDoc =
    "\n"
    "The exception raised when the native code of quorvel, called from Python, panics.\n"
    "\n"
    "Like SystemExit, this exception is derived from BaseException so that\n"
    "it will typically propagate all the way through the stack and cause the\n"
    "Python interpreter to exit.\n";
constexpr std::string_view kTypeCreationFailed = "Failed to initialize new exception type.: ";
constexpr std::string_view kAllocationOf = "memory allocation of ";
constexpr std::string_view kBytesFailed = " bytes failed";
constexpr std::string_view kAllocationFailed = "memory allocation failed";
constexpr std::string_view kUnexpectedException = "unexpected C++ exception";

[[noreturn]] void raise_type_creation_fault() {
    PendingError error = take_pending_error_or_system_error();
    Text message(kTypeCreationFailed);
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

// "memory allocation of N bytes failed", made without the heap. The last word, when even its
// str cannot be made, is the interpreter's own preallocated MemoryError.
void raise_memory_error(std::optional<std::size_t> bytes) noexcept {
    char buffer[kAllocationOf.size() + kIntegerRoom + kBytesFailed.size()];
    std::string_view message = kAllocationFailed;
    if (bytes) {
        char* end = std::copy(kAllocationOf.begin(), kAllocationOf.end(), buffer);
        end = write_decimal(end, *bytes);
        end = std::copy(kBytesFailed.begin(), kBytesFailed.end(), end);
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
        Text message(kUnexpectedException);
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

PyObject* panic_exception_type() {
    if (PyObject* stored = stored_panic_exception_type()) {
        return stored;
    }
    PyRef created = PyRef::steal(PyErr_NewExceptionWithDoc(kPanicExceptionName, kPanicExceptionDoc,
                                                           PyExc_BaseException, nullptr));
    if (!created) {
        raise_type_creation_fault();
    }
    return store_panic_exception_type(std::move(created));
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
