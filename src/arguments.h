// Binding a call's positional tuple and keyword dict to the function's parameters, and
// converting the bound objects. Every failure is thrown as PendingError.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "allocation.h"
#include "pending_error.h"
#include "py_ref.h"

namespace quorvel {

// The function's parameters: all positional-or-keyword and all required. (It has no
// positional-only or keyword-only parameters, no defaults and is not a method, so the binder
// has no code for those.)
struct FunctionSignature {
    std::string_view function_name;
    std::span<const std::string_view> parameter_names;
};

// One slot per parameter, each holding the bound object. The references are our own: Python
// code run during conversion (a __float__, say) could otherwise drop the last one by changing
// a dict that the caller handed over as is.
using BoundArguments = Vector<PyRef>;

// `keywords` may be NULL. Throws PendingError with the binder's TypeError.
BoundArguments bind_arguments(const FunctionSignature& signature, PyObject* positional,
                              PyObject* keywords);

// The encoded bytes of a str, inside the object that it owns (a bytes object, or the str
// itself when its text is read in place) or in a block of its own; `text` stays valid as long
// as the value lives, moves included.
struct EncodedText {
    PyRef owner;
    std::string_view text;
    TextBuffer copy;
};

// Strict UTF-8 of a str (subclasses accepted); anything else is a TypeError naming "PyString".
// A lone surrogate gives the interpreter's UnicodeEncodeError.
EncodedText utf8_text_of(PyObject* object);

// The input text in the encoding that is quickest to make, and which one it is.
struct InputText {
    EncodedText encoded;
    bool latin1;  // one byte per character: equal to the UTF-8 form unless a byte is >= 0x80
};

// Converts a str for reading as utf8_text_of does, with the same failures. A str whose
// characters all lie below U+0100 is stored one byte per character, and its Latin-1 encoding
// is a plain copy of that storage, where its UTF-8 encoding goes character by character: such
// a str comes as Latin-1.
InputText input_text_of(PyObject* object);

// What the interpreter makes of the object as a float; its own exception on failure.
double float_value_of(PyObject* object);

// Names the parameter in a conversion TypeError (keeping the original's cause); any other
// exception passes unchanged.
PendingError argument_error(std::string_view parameter, PendingError failure);

}  // namespace quorvel
