// Python text at the boundary: recognising and encoding strs, making new ones, and the
// interned attribute names.
#include "python_text.h"

#include <dlfcn.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "enum_texts.h"
#include "fault.h"

namespace quorvel {
namespace {

constexpr std::string_view kPythonApiCallFailed = "Python API call failed";

// Filled once each, on first use.
std::array<std::atomic<PyObject*>, 3> attribute_name_slots{};

PyRef new_interned_str(std::string_view text) {
    PyObject* name = new_str(text).release();
    PyUnicode_InternInPlace(&name);
    return PyRef::steal(name);
}

// The attribute names, in the order of AttributeName.
constexpr auto kAttributeNames =
    texts_for<AttributeName::Qualname>({"__name__", "__all__", "__qualname__"});

using AsUtf8AndSize = const char* (*)(PyObject*, Py_ssize_t*);

// PyUnicode_AsUTF8AndSize joined the stable ABI in 3.10; the module is built for 3.8's, so it
// is looked up in the running interpreter, once, and used only where the ABI has it.
AsUtf8AndSize stable_as_utf8_and_size() noexcept {
    static_assert(sizeof(AsUtf8AndSize) == sizeof(void*));
    if (Py_GetVersion()[0] != '3' || std::atoi(Py_GetVersion() + 2) < 10) {
        return nullptr;
    }
    void* found = ::dlsym(RTLD_DEFAULT, "PyUnicode_AsUTF8AndSize");
    AsUtf8AndSize function = nullptr;
    std::memcpy(&function, &found, sizeof found);
    return function;
}

}  // namespace

bool is_str(PyObject* object) noexcept {
    return (PyType_GetFlags(Py_TYPE(object)) & Py_TPFLAGS_UNICODE_SUBCLASS) != 0;
}

bool is_ascii_str(PyObject* str) noexcept {
    const PyRef answer = PyRef::steal(
        PyObject_CallMethod(reinterpret_cast<PyObject*>(&PyUnicode_Type), "isascii", "O", str));
    if (!answer) {
        // Only memory exhaustion can fail here; the caller then takes the general path.
        PyErr_Clear();
        return false;
    }
    return answer.get() == Py_True;
}

std::optional<std::string_view> ascii_text_in_place(PyObject* str) noexcept {
    static const AsUtf8AndSize as_utf8_and_size = stable_as_utf8_and_size();
    if (as_utf8_and_size == nullptr || !is_ascii_str(str)) {
        return std::nullopt;
    }
    Py_ssize_t size = 0;
    const char* text = as_utf8_and_size(str, &size);
    if (text == nullptr) {
        PyErr_Clear();
        return std::nullopt;
    }
    return std::string_view(text, static_cast<std::size_t>(size));
}

std::string_view bytes_view(PyObject* bytes) noexcept {
    return std::string_view(PyBytes_AsString(bytes), static_cast<std::size_t>(PyBytes_Size(bytes)));
}

PyRef utf8_bytes(PyObject* str) noexcept {
    return PyRef::steal(PyUnicode_AsUTF8String(str));
}

void python_api_call_failed(std::source_location where) {
    PyErr_Print();
    raise_fault(kPythonApiCallFailed, where);
}

PyRef new_str(std::string_view text, std::source_location where) {
    PyRef result = PyRef::steal(
        PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
    if (!result) {
        python_api_call_failed(where);
    }
    return result;
}

PyObject* interned(AttributeName attribute) {
    auto& slot = attribute_name_slots[static_cast<std::size_t>(attribute)];
    if (PyObject* stored = slot.load()) {
        return stored;
    }
    return keep_first_stored(slot, new_interned_str(text_in(kAttributeNames, attribute)));
}

}  // namespace quorvel
