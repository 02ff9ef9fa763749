// Python objects rendered as text for the module's messages: str() and repr() of an object, a
// type's name, and the debug description of a pending error.
#pragma once

#include "allocation.h"
#include "pending_error.h"

namespace quorvel {

// str() and repr() of an object. Lone surrogates show as U+FFFD, one per byte of their UTF-8
// form. A failing str() or repr() is the Fault "a formatting trait implementation returned an
// error: Error".
Text display_text(PyObject* object);
Text repr_text(PyObject* object);

// The type's __qualname__, or "<failed to extract type name>".
Text type_name_text(PyObject* type);

// "PyErr { type: T, value: V, traceback: B }" of the error, normalising it first.
Text debug_description(PendingError& error);

}  // namespace quorvel
