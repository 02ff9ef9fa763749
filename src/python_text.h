// Python str and bytes objects as UTF-8 text, and the strs that the boundary makes.
#pragma once

#include <optional>
#include <source_location>
#include <string_view>

#include "py_ref.h"

namespace quorvel {

// str or any subclass, known from the type's flags alone (no method is called).
bool is_str(PyObject* object) noexcept;

// Whether every character of a str is ASCII: str.isascii, taken from the type str itself so
// that no method of a subclass runs; it reads a flag of the object, whatever its length.
bool is_ascii_str(PyObject* str) noexcept;

// The text of an ASCII str read where the str keeps it, without a copy, when the interpreter
// offers that through its stable ABI (CPython 3.10 and later); nothing otherwise. The view is
// valid while the str lives. No other str may be read this way: for them the interpreter would
// make a UTF-8 copy and keep it in the str after the call.
std::optional<std::string_view> ascii_text_in_place(PyObject* str) noexcept;

// The contents of a bytes object.
std::string_view bytes_view(PyObject* bytes) noexcept;

// The strict UTF-8 encoding of a str as a new bytes object, or NULL with the interpreter's
// exception set (UnicodeEncodeError for a lone surrogate).
PyRef utf8_bytes(PyObject* str) noexcept;

// An object that the interpreter must be able to create could not be: prints the
// interpreter's exception and raises the Fault "Python API call failed".
[[noreturn]] void python_api_call_failed(
    std::source_location where = std::source_location::current());

// A new str of UTF-8 text; a NULL result follows the rule above.
PyRef new_str(std::string_view text, std::source_location where = std::source_location::current());

// The attribute names the boundary reads or sets, interned once and kept for the process.
enum class AttributeName { Name, All, Qualname };
PyObject* interned(AttributeName attribute);

}  // namespace quorvel
