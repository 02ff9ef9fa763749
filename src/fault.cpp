// Fault reports. No Python here: the pipeline and native tools link this without the
// interpreter. The report is written without allocating, straight to file descriptor 2, so it
// gets out even when memory is short or sys.stderr is redirected.
#include "fault.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "number_text.h"

namespace quorvel {
namespace {

constexpr std::string_view kFirstReportHint =
    "note: the message above is raised in Python as pyo3_runtime.PanicException; run under gdb "
    "with `catch throw` for a native backtrace\n";

// The kernel's id of the calling thread. The system call, not glibc's gettid(): that wrapper
// came with glibc 2.30, and the module must load on older C libraries.
long current_thread_id() noexcept {
    return ::syscall(SYS_gettid);
}

// Only the first report of the process carries the hint.
std::atomic<bool> first_report_written{false};

void write_decimal_to_standard_error(std::uint64_t number) noexcept {
    char digits[kIntegerRoom];
    const char* end = write_decimal(digits, number);
    write_to_standard_error(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

// The path from the source tree's "src/" on, the same wherever the tree was built.
std::string_view source_path(std::string_view file) noexcept {
    if (file.starts_with("src/")) {
        return file;
    }
    const std::size_t directory = file.rfind("/src/");
    return directory == std::string_view::npos ? file : file.substr(directory + 1);
}

// The main thread is "main", as the interpreter calls it; others by their system name, which
// is often inherited from the process, hence the thread id beside it in the report.
std::string_view thread_name(char (&buffer)[64]) noexcept {
    if (current_thread_id() == ::getpid()) {
        return "main";
    }
    if (pthread_getname_np(pthread_self(), buffer, sizeof buffer) == 0 && buffer[0] != '\0') {
        return buffer;
    }
    return "<unnamed>";
}

void write_fault_report(std::string_view message, const std::source_location& where) noexcept {
    char name_buffer[64];
    write_to_standard_error("quorvel: thread '");
    write_to_standard_error(thread_name(name_buffer));
    write_to_standard_error("' (tid ");
    write_decimal_to_standard_error(static_cast<std::uint64_t>(current_thread_id()));
    write_to_standard_error(") faulted at ");
    write_to_standard_error(source_path(where.file_name()));
    write_to_standard_error(":");
    write_decimal_to_standard_error(where.line());
    write_to_standard_error(":");
    write_decimal_to_standard_error(where.column());
    write_to_standard_error(":\n");
    write_to_standard_error(message);
    write_to_standard_error("\n");
    if (!first_report_written.exchange(true)) {
        write_to_standard_error(kFirstReportHint);
    }
}

}  // namespace

void write_to_standard_error(std::string_view text) noexcept {
    while (!text.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void raise_fault(std::string_view message, std::source_location where) {
    write_fault_report(message, where);
    throw Fault{Text(message)};
}

void resume_fault(std::string_view message) {
    throw Fault{Text(message)};
}

}  // namespace quorvel
