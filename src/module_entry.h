// The two entry points the interpreter calls: the module initialiser, and through the function
// object it registers, the entry of smooth_and_simplify_polygon_fc.
#pragma once

#include "failure.h"

// Creates the module; only the first call in a process succeeds. The library's one export.
PyMODINIT_FUNC PyInit_quorvel(void);

namespace quorvel {

// smooth_and_simplify_polygon_fc(geojson, simplify_tolerance_m) -> str
PyObject* smooth_and_simplify_polygon_fc_entry(PyObject* module, PyObject* positional,
                                               PyObject* keywords) noexcept;

}  // namespace quorvel
