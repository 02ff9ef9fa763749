// Binding and converting the arguments of a call, with the exact TypeError of each failure.
#include "arguments.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <optional>

#include "fault.h"
#include "number_text.h"
#include "object_text.h"
#include "python_text.h"

namespace quorvel {
namespace {

// The pieces of the binder's and the conversion's messages.
constexpr std::string_view kTakes = " takes ";
constexpr std::string_view kPositionalButGiven = " positional arguments but ";
constexpr std::string_view kMultipleValues = " got multiple values for argument '";
constexpr std::string_view kUnexpectedKeyword = " got an unexpected keyword argument '";
constexpr std::string_view kMissing = " missing ";
constexpr std::string_view kRequiredPositional = " required positional ";
constexpr std::string_view kCannotBeConverted = "' object cannot be converted to '";
constexpr std::string_view kStrTarget = "PyString";
constexpr std::string_view kArgument = "argument '";
constexpr std::string_view kDictionaryChanged = "dictionary changed size during iteration";

Text joined(std::initializer_list<std::string_view> pieces) {
    Text text;
    for (const std::string_view piece : pieces) {
        text += piece;
    }
    return text;
}

Text decimal(std::size_t number) {
    Text text;
    append_decimal(text, number);
    return text;
}

PendingError type_error(std::string_view message) {
    return PendingError::prepared(PyExc_TypeError, message);
}

// ---- Binder messages ----

Text full_name(const FunctionSignature& signature) {
    return joined({signature.function_name, "()"});
}

// 'a'; 'a' and 'b'; 'a', 'b', and 'c'
Text quoted_name_list(const Vector<std::string_view>& names) {
    Text list;
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (index > 0) {
            if (names.size() > 2) {
                list += ",";
            }
            list += index + 1 == names.size() ? " and " : " ";
        }
        list += joined({"'", names[index], "'"});
    }
    return list;
}

PendingError too_many_positional(const FunctionSignature& signature, std::size_t given) {
    return type_error(
        joined({full_name(signature), kTakes, decimal(signature.parameter_names.size()),
                kPositionalButGiven, decimal(given), " ", given == 1 ? "was" : "were", " given"}));
}

PendingError multiple_values(const FunctionSignature& signature, std::string_view parameter) {
    return type_error(joined({full_name(signature), kMultipleValues, parameter, "'"}));
}

PendingError unexpected_keyword(const FunctionSignature& signature, PyObject* name) {
    return type_error(joined({full_name(signature), kUnexpectedKeyword, display_text(name), "'"}));
}

PendingError missing_positional(const FunctionSignature& signature,
                                const Vector<std::string_view>& names) {
    return type_error(
        joined({full_name(signature), kMissing, decimal(names.size()), kRequiredPositional,
                names.size() == 1 ? "argument" : "arguments", ": ", quoted_name_list(names)}));
}

// "'T' object cannot be converted to 'PyString'".
PendingError not_a_str(PyObject* object) {
    return type_error(joined({"'", type_name_text(reinterpret_cast<PyObject*>(Py_TYPE(object))),
                              kCannotBeConverted, kStrTarget, "'"}));
}

// ---- Binding ----

// Strict UTF-8 of a keyword name, or nothing when it holds a lone surrogate (the name then
// matches no parameter and the encoding error is dropped).
std::optional<EncodedText> keyword_name_text(PyObject* name) {
    PyRef bytes = utf8_bytes(name);
    if (!bytes) {
        drop_pending_error();
        return std::nullopt;
    }
    const std::string_view text = bytes_view(bytes.get());
    return EncodedText{std::move(bytes), text, {}};
}

// Fills the slot of the parameter the keyword names, compared byte for byte; returns false
// when it names none.
bool bind_keyword(const FunctionSignature& signature, std::string_view name, PyObject* value,
                  BoundArguments& slots) {
    const auto& parameters = signature.parameter_names;
    const auto match = std::find(parameters.begin(), parameters.end(), name);
    if (match == parameters.end()) {
        return false;
    }
    PyRef& slot = slots[static_cast<std::size_t>(match - parameters.begin())];
    if (slot) {
        throw multiple_values(signature, *match);
    }
    slot = PyRef::share(value);
    return true;
}

// Walks the dict in its own order (the order the caller wrote the keywords in); the first
// keyword that cannot be bound ends the binding.
void bind_keywords(const FunctionSignature& signature, PyObject* keywords, BoundArguments& slots) {
    const Py_ssize_t size_at_start = PyDict_Size(keywords);
    Py_ssize_t position = 0;
    PyObject* name = nullptr;
    PyObject* value = nullptr;
    while (true) {
        if (PyDict_Size(keywords) != size_at_start) {
            raise_fault(kDictionaryChanged);
        }
        if (!PyDict_Next(keywords, &position, &name, &value)) {
            return;
        }
        if (!is_str(name)) {
            throw not_a_str(name);
        }
        const std::optional<EncodedText> name_text = keyword_name_text(name);
        if (!name_text || !bind_keyword(signature, name_text->text, value, slots)) {
            throw unexpected_keyword(signature, name);
        }
    }
}

void check_all_filled(const FunctionSignature& signature, const BoundArguments& slots) {
    Vector<std::string_view> missing;
    for (std::size_t index = 0; index < slots.size(); ++index) {
        if (!slots[index]) {
            missing.push_back(signature.parameter_names[index]);
        }
    }
    if (!missing.empty()) {
        throw missing_positional(signature, missing);
    }
}

}  // namespace

BoundArguments bind_arguments(const FunctionSignature& signature, PyObject* positional,
                              PyObject* keywords) {
    const std::size_t parameter_count = signature.parameter_names.size();
    BoundArguments slots(parameter_count);
    const Py_ssize_t size = PyTuple_Size(positional);
    if (size < 0) {
        throw_pending_error();
    }
    const auto given = static_cast<std::size_t>(size);
    for (std::size_t index = 0; index < std::min(given, parameter_count); ++index) {
        slots[index] = PyRef::share(PyTuple_GetItem(positional, static_cast<Py_ssize_t>(index)));
    }
    if (given > parameter_count) {
        throw too_many_positional(signature, given);
    }
    if (keywords != nullptr) {
        bind_keywords(signature, keywords, slots);
    }
    check_all_filled(signature, slots);
    return slots;
}

EncodedText utf8_text_of(PyObject* object) {
    if (!is_str(object)) {
        throw not_a_str(object);
    }
    PyRef bytes = utf8_bytes(object);
    if (!bytes) {
        throw_pending_error();
    }
    const std::string_view text = bytes_view(bytes.get());
    return EncodedText{std::move(bytes), text, {}};
}

// From this many characters on, a str's Latin-1 encoding is made slice by slice: one bytes
// object of the whole text is then a block that the C library maps afresh on every call
// (glibc does from 32 MiB on, however often blocks of that size were freed before), and the
// copy into it faults its pages in one by one, at about a third of the speed of the slices,
// whose str and bytes come from warm memory. Below it, one bytes object from the warm heap
// costs one copy where the slices cost three.
constexpr Py_ssize_t kSlicedLatin1Characters = Py_ssize_t{32} << 20;
// Characters per slice: the slice's str and bytes stay below the C library's threshold for
// mapping a block of its own (128 KiB at the least).
constexpr Py_ssize_t kSlice = Py_ssize_t{1} << 16;

// The Latin-1 encoding of a str. A long one is made slice by slice into a block of the
// module's own (in huge pages, allocation.h). None, with the interpreter's exception pending,
// when an encoding fails, and none when the block cannot be had.
std::optional<EncodedText> latin1_text_of(PyObject* str) {
    const Py_ssize_t length = PyUnicode_GetLength(str);
    if (length < 0) {
        return std::nullopt;
    }
    if (length < kSlicedLatin1Characters) {
        PyRef bytes = PyRef::steal(PyUnicode_AsLatin1String(str));
        if (!bytes) {
            return std::nullopt;
        }
        const std::string_view text = bytes_view(bytes.get());
        return EncodedText{std::move(bytes), text, {}};
    }
    EncodedText encoded;
    try {
        encoded.copy = TextBuffer(static_cast<std::size_t>(length));
    } catch (const AllocationFailure&) {
        return std::nullopt;
    }
    char* out = encoded.copy.begin_writing();
    for (Py_ssize_t start = 0; start < length; start += kSlice) {
        const PyRef slice =
            PyRef::steal(PyUnicode_Substring(str, start, std::min(length, start + kSlice)));
        const PyRef bytes = slice ? PyRef::steal(PyUnicode_AsLatin1String(slice.get())) : PyRef();
        if (!bytes) {
            return std::nullopt;
        }
        const std::string_view part = bytes_view(bytes.get());
        std::memcpy(out, part.data(), part.size());
        out += part.size();
    }
    encoded.copy.finish_writing(out);
    encoded.text = encoded.copy.view();
    return encoded;
}

InputText input_text_of(PyObject* object) {
    if (!is_str(object)) {
        throw not_a_str(object);
    }
    // An ASCII str is its own UTF-8: read in place where the interpreter allows, else copied.
    if (const std::optional<std::string_view> in_place = ascii_text_in_place(object)) {
        return {EncodedText{PyRef::share(object), *in_place, {}}, false};
    }
    if (is_ascii_str(object)) {
        return {utf8_text_of(object), false};
    }
    if (std::optional<EncodedText> latin1 = latin1_text_of(object)) {
        return {std::move(*latin1), true};
    }
    // A character beyond U+00FF: the UnicodeEncodeError only says that. Where memory ran
    // short, the UTF-8 encoding fails again and says so.
    drop_pending_error();
    return {utf8_text_of(object), false};
}

double float_value_of(PyObject* object) {
    const double value = PyFloat_AsDouble(object);
    // -1.0 is also an ordinary value: only a pending exception makes it a failure.
    if (value == -1.0) {
        if (std::optional<PendingError> error = take_pending_error()) {
            throw std::move(*error);
        }
    }
    return value;
}

PendingError argument_error(std::string_view parameter, PendingError failure) {
    failure.normalise();
    if (failure.type() != PyExc_TypeError) {
        return failure;
    }
    PendingError renamed =
        type_error(joined({kArgument, parameter, "': ", display_text(failure.value())}));
    renamed.normalise();
    // Setting the cause, even to NULL, also suppresses the implicit context.
    PyRef cause = PyRef::steal(PyException_GetCause(failure.value()));
    PyException_SetCause(renamed.value(), cause.release());
    return renamed;
}

}  // namespace quorvel
