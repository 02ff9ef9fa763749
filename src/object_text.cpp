// Rendering objects into message text, and the debug description of an exception.
#include "object_text.h"

#include <source_location>

#include "fault.h"
#include "python_text.h"
#include "utf8.h"

namespace quorvel {
namespace {

constexpr std::string_view kFailedTypeName = "<failed to extract type name>";
constexpr std::string_view kFormattingFailed =
    "a formatting trait implementation returned an error: Error";

// UTF-8 of a str, lone surrogates shown as replacement characters.
Text lossy_utf8_text(PyObject* text) {
    if (const PyRef bytes = utf8_bytes(text)) {
        return Text(bytes_view(bytes.get()));
    }
    drop_pending_error();
    const PyRef passed = PyRef::steal(PyUnicode_AsEncodedString(text, "utf-8", "surrogatepass"));
    if (!passed) {
        python_api_call_failed();
    }
    return replace_invalid_utf8(bytes_view(passed.get()));
}

Text rendered_text(PyRef rendered, std::source_location where) {
    if (!rendered) {
        drop_pending_error();
        raise_fault(kFormattingFailed, where);
    }
    return lossy_utf8_text(rendered.get());
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

}  // namespace

Text display_text(PyObject* object) {
    return rendered_text(PyRef::steal(PyObject_Str(object)), std::source_location::current());
}

Text repr_text(PyObject* object) {
    return rendered_text(PyRef::steal(PyObject_Repr(object)), std::source_location::current());
}

Text type_name_text(PyObject* type) {
    const PyRef name = PyRef::steal(PyObject_GetAttr(type, interned(AttributeName::Qualname)));
    if (name && is_str(name.get())) {
        if (const PyRef bytes = utf8_bytes(name.get())) {
            return Text(bytes_view(bytes.get()));
        }
    }
    drop_pending_error();
    return Text(kFailedTypeName);
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

}  // namespace quorvel
