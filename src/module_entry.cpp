// The module initialiser and the function entry: creating the module with its one function, and
// for each call binding the arguments, running the pipeline and returning the result str.
#include "module_entry.h"

#include <array>
#include <atomic>
#include <cstring>
#include <string_view>
#include <variant>

#include "arguments.h"
#include "fault.h"
#include "object_text.h"
#include "python_text.h"
#include "read_polygons_from_fc.h"
#include "smooth_and_simplify.h"
#include "utf8.h"
#include "write_feature_collection.h"

namespace quorvel {
namespace {

// API version 3 is the stable ABI's: one build serves every interpreter that offers it.
constexpr int kStableApiVersion = 3;

constexpr std::string_view kInitializedTwice =
    "PyO3 modules may only be initialized once per interpreter process";
constexpr std::string_view kAppendToAllFailed = "could not append __name__ to __all__: ";

constexpr std::array<std::string_view, 2> kParameterNames = {"geojson", "simplify_tolerance_m"};

constexpr FunctionSignature kSignature = {
    .function_name = "smooth_and_simplify_polygon_fc",
    .parameter_names = kParameterNames,
};

// The interpreter writes into both records (the module head; the function object keeps a
// pointer to the method record), so they are mutable and live for the whole process.
PyModuleDef module_definition = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "quorvel",
    .m_doc = "",
    .m_size = 0,
    .m_methods = nullptr,
    .m_slots = nullptr,
    .m_traverse = nullptr,
    .m_clear = nullptr,
    .m_free = nullptr,
};

// The function takes keywords; the record's field has the two-argument type, hence the cast
// through the generic function-pointer type.
PyMethodDef smooth_and_simplify_method = {
    .ml_name = "smooth_and_simplify_polygon_fc",
    .ml_meth = reinterpret_cast<PyCFunction>(
        reinterpret_cast<void (*)()>(&smooth_and_simplify_polygon_fc_entry)),
    .ml_flags = METH_VARARGS | METH_KEYWORDS,
    .ml_doc = "",
};

// Set by the first initialisation as soon as its module object exists, and never cleared: a module
// whose creation went wrong half-way must not be made again in the same process.
std::atomic<bool> module_initialized{false};

// ---- Initialisation ----

PyRef create_module_object() {
    PyRef module = PyRef::steal(PyModule_Create2(&module_definition, kStableApiVersion));
    if (!module) {
        throw_pending_error();
    }
    return module;
}

void claim_single_initialization() {
    if (module_initialized.exchange(true)) {
        throw PendingError::prepared(PyExc_ImportError, kInitializedTwice);
    }
}

PyRef new_function_object(PyObject* module) {
    const char* module_name = PyModule_GetName(module);
    if (module_name == nullptr) {
        throw_pending_error();
    }
    PyRef module_name_str = new_str(std::string_view(module_name, std::strlen(module_name)));
    PyRef function =
        PyRef::steal(PyCFunction_NewEx(&smooth_and_simplify_method, module, module_name_str.get()));
    if (!function) {
        throw_pending_error();
    }
    return function;
}

// The module's __all__, made as an empty list when the module has none yet.
PyRef all_names_list(PyObject* module) {
    PyObject* all = interned(AttributeName::All);
    PyRef existing = PyRef::steal(PyObject_GetAttr(module, all));
    if (existing) {
        return existing;
    }
    PendingError error = take_pending_error_or_system_error();
    if (!PyErr_GivenExceptionMatches(error.type(), PyExc_AttributeError)) {
        throw error;
    }
    PyRef list = PyRef::steal(PyList_New(0));
    if (!list) {
        python_api_call_failed();
    }
    if (PyObject_SetAttr(module, all, list.get()) == -1) {
        throw_pending_error();
    }
    return list;
}

void append_to_all(PyObject* all, PyObject* name) {
    if (PyList_Append(all, name) == -1) {
        PendingError error = take_pending_error_or_system_error();
        Text message(kAppendToAllFailed);
        message += debug_description(error);
        raise_fault(message);
    }
}

void add_function_to_module(PyObject* module, PyObject* function) {
    PyRef name_attribute = PyRef::steal(PyObject_GetAttr(function, interned(AttributeName::Name)));
    if (!name_attribute) {
        throw_pending_error();
    }
    const EncodedText name_text = utf8_text_of(name_attribute.get());
    PyRef all = all_names_list(module);
    PyRef name = new_str(name_text.text);
    append_to_all(all.get(), name.get());
    if (PyObject_SetAttr(module, name.get(), function) == -1) {
        throw_pending_error();
    }
}

PyRef initialize_module() {
    PyRef module = create_module_object();
    claim_single_initialization();
    const PyRef function = new_function_object(module.get());
    add_function_to_module(module.get(), function.get());
    return module;
}

// ---- A call ----

// The result str. When the interpreter cannot allocate it, the call raises MemoryError like
// every other allocation of the call does, with the size of the text.
PyRef new_result_str(std::string_view text) {
    PyRef result = PyRef::steal(
        PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
    if (!result) {
        PendingError error = take_pending_error_or_system_error();
        if (PyErr_GivenExceptionMatches(error.type(), PyExc_MemoryError)) {
            throw_allocation_failure(text.size());
        }
        std::move(error).raise();
        python_api_call_failed();
    }
    return result;
}

// A conversion failure, renamed for the parameter it concerns.
template <class Convert>
auto convert_argument(std::string_view parameter, PyObject* argument, Convert convert) {
    try {
        return convert(argument);
    } catch (PendingError& failure) {
        throw argument_error(parameter, std::move(failure));
    }
}

// The polygons of the input, which is released once they are read. A Latin-1 text that cannot
// be read is read again as UTF-8 when a character lies beyond ASCII, so that the failure's
// message, line and column are those of the UTF-8 text.
PolygonList read_input_polygons(InputText input, PyObject* geojson) {
    if (!input.latin1) {
        return read_polygons_from_fc(input.encoded.text);
    }
    std::variant<PolygonList, ReadingFailure> outcome = read_polygons(input.encoded.text);
    if (auto* polygons = std::get_if<PolygonList>(&outcome)) {
        return std::move(*polygons);
    }
    if (is_ascii(input.encoded.text)) {
        raise_reading_fault(std::get<ReadingFailure>(outcome));
    }
    input = InputText{};
    return read_polygons_from_fc(utf8_text_of(geojson).text);
}

PyRef smooth_and_simplify_call(PyObject* positional, PyObject* keywords) {
    const BoundArguments arguments = bind_arguments(kSignature, positional, keywords);
    InputText geojson = convert_argument("geojson", arguments[0].get(), input_text_of);
    const double tolerance =
        convert_argument("simplify_tolerance_m", arguments[1].get(), float_value_of);
    // The reader takes the text in place; it is released as soon as the polygons are read,
    // before the larger work of smoothing and writing.
    PolygonList polygons = read_input_polygons(std::move(geojson), arguments[0].get());
    const TextBuffer result =
        write_polygons_to_fc(smooth_and_simplify_polygons(std::move(polygons), tolerance));
    return new_result_str(result.view());
}

}  // namespace

PyObject* smooth_and_simplify_polygon_fc_entry(PyObject*, PyObject* positional,
                                               PyObject* keywords) noexcept {
    return fault_trap([&] { return smooth_and_simplify_call(positional, keywords); });
}

}  // namespace quorvel

PyMODINIT_FUNC PyInit_quorvel(void) {
    return quorvel::fault_trap([] { return quorvel::initialize_module(); });
}
