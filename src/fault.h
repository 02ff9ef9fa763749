// Fault: an unrecoverable failure of the computation. It carries its message to the interpreter
// boundary, which raises it in Python as pyo3_runtime.PanicException.
#pragma once

#include <source_location>
#include <string_view>

#include "allocation.h"

namespace quorvel {

struct Fault {
    Text message;
};

// Writes the fault report (message and source position) to standard error, then throws Fault.
[[noreturn]] void raise_fault(std::string_view message,
                              std::source_location where = std::source_location::current());

// Throws Fault without a report: used when a failure already reported elsewhere resumes.
[[noreturn]] void resume_fault(std::string_view message);

// Writes straight to file descriptor 2 (not the interpreter's sys.stderr), without allocating.
void write_to_standard_error(std::string_view text) noexcept;

}  // namespace quorvel
