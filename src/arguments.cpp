#include "arguments.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <optional>

#include "fault.h"

namespace quorvel {
namespace {

constexpr std::string_view failed_type_name = "<failed to extract type name>";
constexpr std::string_view replacement_character = "\xEF\xBF\xBD";

Text joined(std::initializer_list<std::string_view> pieces) {
    Text text;
    for (const std::string_view piece : pieces) {
        text += piece;
    }
    return text;
}

Text decimal(std::size_t number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    return Text(digits, end);
}

PendingError type_error(std::string_view message) {
    return PendingError::prepared(PyExc_TypeError, message);
}

// ---- Binder messages ----

Text full_name(const FunctionSignature& signature) {
    if (signature.class_name.empty()) {
        return joined({signature.function_name, "()"});
    }
    return joined({signature.class_name, ".", signature.function_name, "()"});
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
    const std::size_t accepted = signature.positional_parameter_names.size();
    const std::size_t required = signature.required_positional_count;
    const Text counted = required == accepted
                             ? decimal(accepted)
                             : joined({"from ", decimal(required), " to ", decimal(accepted)});
    return type_error(
        joined({full_name(signature), " takes ", counted, " positional arguments but ",
                decimal(given), " ", given == 1 ? "was" : "were", " given"}));
}

PendingError multiple_values(const FunctionSignature& signature, std::string_view parameter) {
    return type_error(
        joined({full_name(signature), " got multiple values for argument '", parameter, "'"}));
}

PendingError unexpected_keyword(const FunctionSignature& signature, PyObject* name) {
    return type_error(joined(
        {full_name(signature), " got an unexpected keyword argument '", display_text(name), "'"}));
}

PendingError positional_only_by_keyword(const FunctionSignature& signature,
                                        const Vector<std::string_view>& names) {
    return type_error(joined({full_name(signature),
                              " got some positional-only arguments passed as keyword arguments: ",
                              quoted_name_list(names)}));
}

PendingError missing_arguments(const FunctionSignature& signature, std::string_view kind,
                               const Vector<std::string_view>& names) {
    return type_error(
        joined({full_name(signature), " missing ", decimal(names.size()), " required ", kind, " ",
                names.size() == 1 ? "argument" : "arguments", ": ", quoted_name_list(names)}));
}

// ---- Binding ----

// Strict UTF-8 of a keyword name, or nothing when it holds a lone surrogate (the name then
// matches no parameter and the encoding error is dropped).
std::optional<Utf8Text> keyword_name_text(PyObject* name) {
    PyRef bytes = PyRef::steal(PyUnicode_AsUTF8String(name));
    if (!bytes) {
        drop_pending_error();
        return std::nullopt;
    }
    const std::string_view text = bytes_view(bytes.get());
    return Utf8Text{std::move(bytes), text};
}

// Fills the slot of the parameter the keyword names; returns false when it names none.
bool bind_keyword(const FunctionSignature& signature, std::string_view name, PyObject* value,
                  BoundArguments& slots, Vector<std::string_view>& positional_only_by_name) {
    const auto& keyword_only = signature.keyword_only_parameters;
    const std::size_t positional_count = signature.positional_parameter_names.size();
    for (std::size_t index = 0; index < keyword_only.size(); ++index) {
        if (keyword_only[index].name == name) {
            PyRef& slot = slots[positional_count + index];
            if (slot) {
                throw multiple_values(signature, keyword_only[index].name);
            }
            slot = PyRef::share(value);
            return true;
        }
    }
    for (std::size_t index = 0; index < positional_count; ++index) {
        const std::string_view parameter = signature.positional_parameter_names[index];
        if (parameter != name) {
            continue;
        }
        if (index < signature.positional_only_count) {
            positional_only_by_name.push_back(parameter);
            return true;
        }
        if (slots[index]) {
            throw multiple_values(signature, parameter);
        }
        slots[index] = PyRef::share(value);
        return true;
    }
    return false;
}

void bind_keywords(const FunctionSignature& signature, PyObject* keywords, BoundArguments& slots,
                   Vector<std::string_view>& positional_only_by_name) {
    const Py_ssize_t size_at_start = PyDict_Size(keywords);
    Py_ssize_t position = 0;
    PyObject* name = nullptr;
    PyObject* value = nullptr;
    while (true) {
        if (PyDict_Size(keywords) != size_at_start) {
            raise_fault("dictionary changed size during iteration");
        }
        if (!PyDict_Next(keywords, &position, &name, &value)) {
            return;
        }
        if (!is_str(name)) {
            throw conversion_error(name, "PyString");
        }
        const std::optional<Utf8Text> name_text = keyword_name_text(name);
        if (!name_text ||
            !bind_keyword(signature, name_text->text, value, slots, positional_only_by_name)) {
            throw unexpected_keyword(signature, name);
        }
    }
}

void check_required_filled(const FunctionSignature& signature, std::size_t given,
                           const BoundArguments& slots) {
    const std::size_t required = signature.required_positional_count;
    if (given < required) {
        Vector<std::string_view> missing;
        for (std::size_t index = 0; index < required; ++index) {
            if (!slots[index]) {
                missing.push_back(signature.positional_parameter_names[index]);
            }
        }
        if (!missing.empty()) {
            throw missing_arguments(signature, "positional", missing);
        }
    }
    const std::size_t positional_count = signature.positional_parameter_names.size();
    Vector<std::string_view> missing_keywords;
    for (std::size_t index = 0; index < signature.keyword_only_parameters.size(); ++index) {
        const KeywordOnlyParameter& parameter = signature.keyword_only_parameters[index];
        if (parameter.required && !slots[positional_count + index]) {
            missing_keywords.push_back(parameter.name);
        }
    }
    if (!missing_keywords.empty()) {
        throw missing_arguments(signature, "keyword", missing_keywords);
    }
}

// ---- Rendering ----

// Length of the valid UTF-8 sequence at the start of `bytes`, or 0 when it starts with an
// invalid one; `invalid_length` is then the length of the maximal invalid subpart.
std::size_t valid_sequence_length(std::string_view bytes, std::size_t& invalid_length) {
    const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(bytes[index]); };
    const unsigned char lead = byte(0);
    invalid_length = 1;
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        second_low = lead == 0xE0 ? 0xA0 : 0x80;
        second_high = lead == 0xED ? 0x9F : 0xBF;  // 0xED A0..BF would encode a surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        second_low = lead == 0xF0 ? 0x90 : 0x80;
        second_high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    std::size_t index = 1;
    for (; index < length && index < bytes.size(); ++index) {
        const unsigned char low = index == 1 ? second_low : 0x80;
        const unsigned char high = index == 1 ? second_high : 0xBF;
        if (byte(index) < low || byte(index) > high) {
            break;
        }
    }
    invalid_length = index;
    return index == length ? length : 0;
}

// Decodes UTF-8, replacing each maximal invalid subpart with U+FFFD.
Text replace_invalid_utf8(std::string_view bytes) {
    Text text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        std::size_t invalid_length = 0;
        const std::size_t valid_length = valid_sequence_length(bytes, invalid_length);
        if (valid_length > 0) {
            text += bytes.substr(0, valid_length);
            bytes.remove_prefix(valid_length);
        } else {
            text += replacement_character;
            bytes.remove_prefix(invalid_length);
        }
    }
    return text;
}

// UTF-8 of a str, lone surrogates shown as replacement characters.
Text lossy_utf8_text(PyObject* text) {
    PyRef bytes = PyRef::steal(PyUnicode_AsUTF8String(text));
    if (bytes) {
        return Text(bytes_view(bytes.get()));
    }
    drop_pending_error();
    PyRef passed = PyRef::steal(PyUnicode_AsEncodedString(text, "utf-8", "surrogatepass"));
    if (!passed) {
        python_api_call_failed();
    }
    return replace_invalid_utf8(bytes_view(passed.get()));
}

Text rendered_text(PyRef rendered, std::source_location where) {
    if (!rendered) {
        drop_pending_error();
        raise_fault("a formatting trait implementation returned an error: Error", where);
    }
    return lossy_utf8_text(rendered.get());
}

}  // namespace

BoundArguments bind_arguments(const FunctionSignature& signature, PyObject* positional,
                              PyObject* keywords) {
    const std::size_t positional_count = signature.positional_parameter_names.size();
    BoundArguments slots(positional_count + signature.keyword_only_parameters.size());
    const Py_ssize_t size = PyTuple_Size(positional);
    if (size < 0) {
        throw_pending_error();
    }
    const auto given = static_cast<std::size_t>(size);
    for (std::size_t index = 0; index < std::min(given, positional_count); ++index) {
        slots[index] = PyRef::share(PyTuple_GetItem(positional, static_cast<Py_ssize_t>(index)));
    }
    if (given > positional_count) {
        throw too_many_positional(signature, given);
    }
    Vector<std::string_view> positional_only_by_name;
    if (keywords != nullptr) {
        bind_keywords(signature, keywords, slots, positional_only_by_name);
    }
    if (!positional_only_by_name.empty()) {
        throw positional_only_by_keyword(signature, positional_only_by_name);
    }
    check_required_filled(signature, given, slots);
    return slots;
}

bool is_str(PyObject* object) noexcept {
    return (PyType_GetFlags(Py_TYPE(object)) & Py_TPFLAGS_UNICODE_SUBCLASS) != 0;
}

std::string_view bytes_view(PyObject* bytes) noexcept {
    return std::string_view(PyBytes_AsString(bytes), static_cast<std::size_t>(PyBytes_Size(bytes)));
}

Utf8Text utf8_text_of(PyObject* object) {
    if (!is_str(object)) {
        throw conversion_error(object, "PyString");
    }
    PyRef bytes = PyRef::steal(PyUnicode_AsUTF8String(object));
    if (!bytes) {
        throw_pending_error();
    }
    const std::string_view text = bytes_view(bytes.get());
    return Utf8Text{std::move(bytes), text};
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

PendingError conversion_error(PyObject* object, std::string_view target) {
    return type_error(joined({"'", type_name_text(reinterpret_cast<PyObject*>(Py_TYPE(object))),
                              "' object cannot be converted to '", target, "'"}));
}

PendingError argument_error(std::string_view parameter, PendingError failure) {
    failure.normalise();
    if (failure.type() != PyExc_TypeError) {
        return failure;
    }
    PendingError renamed =
        type_error(joined({"argument '", parameter, "': ", display_text(failure.value())}));
    renamed.normalise();
    // Setting the cause, even to NULL, also suppresses the implicit context.
    PyRef cause = PyRef::steal(PyException_GetCause(failure.value()));
    PyException_SetCause(renamed.value(), cause.release());
    return renamed;
}

Text type_name_text(PyObject* type) {
    PyRef name = PyRef::steal(PyObject_GetAttr(type, interned(AttributeName::qualname)));
    if (name && is_str(name.get())) {
        PyRef bytes = PyRef::steal(PyUnicode_AsUTF8String(name.get()));
        if (bytes) {
            return Text(bytes_view(bytes.get()));
        }
    }
    drop_pending_error();
    return Text(failed_type_name);
}

Text display_text(PyObject* object) {
    return rendered_text(PyRef::steal(PyObject_Str(object)), std::source_location::current());
}

Text repr_text(PyObject* object) {
    return rendered_text(PyRef::steal(PyObject_Repr(object)), std::source_location::current());
}

}  // namespace quorvel
