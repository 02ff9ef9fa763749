// Python str and bytes objects as UTF-8 text, and the strs that the boundary makes.
#pragma once

#include <source_location>
#include <string_view>

#include "py_ref.h"

namespace quorvel {

// str or any subclass, known from the type's flags alone (no method is called).
bool is_str(PyObject* object) noexcept;

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
