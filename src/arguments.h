// Binding a call's positional tuple and keyword dict to the parameters, converting the bound
// objects, and rendering objects into messages. Every failure is thrown as PendingError.
#pragma once

#include "failure.h"

#include <cstddef>
#include <span>
#include <string_view>

#include "allocation.h"

namespace quorvel {

struct KeywordOnlyParameter {
    std::string_view name;
    bool required;
};

// Static description of a function's parameters: the positional ones come first, the
// first `positional_only_count` of them cannot be given by keyword, and the first
// `required_positional_count` must be given.
struct FunctionSignature {
    std::string_view function_name;
    std::string_view class_name;  // empty for a plain function
    std::span<const std::string_view> positional_parameter_names;
    std::size_t positional_only_count;
    std::size_t required_positional_count;
    std::span<const KeywordOnlyParameter> keyword_only_parameters;
};

// One slot per positional parameter, then one per keyword-only parameter; each empty or the
// bound object. The references are our own: Python code run during conversion (a __float__,
// say) could otherwise drop the last one by changing a dict that the caller handed over as is.
using BoundArguments = Vector<PyRef>;

// `keywords` may be NULL. Throws PendingError with the binder's TypeError.
BoundArguments bind_arguments(const FunctionSignature& signature, PyObject* positional,
                              PyObject* keywords);

// UTF-8 bytes of a str, inside the bytes object that it owns; `text` stays valid as long as
// the value lives, moves included.
struct Utf8Text {
    PyRef bytes;
    std::string_view text;
};

// str or any subclass, known from the type's flags alone (no method is called).
bool is_str(PyObject* object) noexcept;

// The contents of a bytes object.
std::string_view bytes_view(PyObject* bytes) noexcept;

// Strict UTF-8 of a str (subclasses accepted); anything else is a TypeError naming "PyString".
// A lone surrogate gives the interpreter's UnicodeEncodeError.
Utf8Text utf8_text_of(PyObject* object);

// What the interpreter makes of the object as a float; its own exception on failure.
double float_value_of(PyObject* object);

// The TypeError "'T' object cannot be converted to 'TARGET'".
PendingError conversion_error(PyObject* object, std::string_view target);

// Names the parameter in a conversion TypeError (keeping the original's cause); any other
// exception passes unchanged.
PendingError argument_error(std::string_view parameter, PendingError failure);

// The type's __qualname__, or "<failed to extract type name>".
Text type_name_text(PyObject* type);

// str() and repr() of an object for a message. Lone surrogates show as U+FFFD, one per byte of
// their UTF-8 form. A failing str() or repr() is the Fault "a formatting trait ...".
Text display_text(PyObject* object);
Text repr_text(PyObject* object);

}  // namespace quorvel
