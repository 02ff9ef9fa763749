// PyRef: the owner of one strong interpreter reference, released when the owner goes.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>
#include <utility>

namespace quorvel {

// Move-only; the reference is released on destruction. Every reference the boundary obtains
// is held in one, so that no path, failing or not, can lose one.
class PyRef {
  public:
    PyRef() noexcept = default;
    ~PyRef() { Py_XDECREF(object_); }
    PyRef(PyRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    PyRef& operator=(PyRef&& other) noexcept {
        if (this != &other) {
            // Release last: dropping the old object may run arbitrary Python code.
            PyObject* old = std::exchange(object_, std::exchange(other.object_, nullptr));
            Py_XDECREF(old);
        }
        return *this;
    }
    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;

    // Takes over a new reference (NULL allowed).
    static PyRef steal(PyObject* object) noexcept { return PyRef(object); }
    // Adds a reference of our own to a borrowed one (NULL allowed).
    static PyRef share(PyObject* object) noexcept {
        Py_XINCREF(object);
        return PyRef(object);
    }

    PyObject* get() const noexcept { return object_; }
    // Hands the reference to a caller that steals it.
    PyObject* release() noexcept { return std::exchange(object_, nullptr); }
    explicit operator bool() const noexcept { return object_ != nullptr; }

  private:
    explicit PyRef(PyObject* object) noexcept : object_(object) {}

    PyObject* object_ = nullptr;
};

// Stores `candidate` in a process-wide slot unless the slot is already filled, and returns the
// stored object, which is never released. Making an object can run Python code and so let
// another thread store one first: the first stored object is kept and the candidate released.
inline PyObject* keep_first_stored(std::atomic<PyObject*>& slot, PyRef candidate) noexcept {
    PyObject* stored = nullptr;
    if (slot.compare_exchange_strong(stored, candidate.get())) {
        return candidate.release();
    }
    return stored;
}

}  // namespace quorvel
