// Memory of one call: every container of the pipeline allocates through SizeReportingAllocator,
// so that running out of memory ends the call with the size of the request that failed instead
// of ending the process.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace quorvel {

// Thrown when an allocation of `bytes` bytes cannot be served.
struct AllocationFailure {
    std::size_t bytes;
};

[[noreturn]] inline void throw_allocation_failure(std::size_t bytes) {
    throw AllocationFailure{bytes};
}

// std::allocator's job, except that a failed request throws AllocationFailure with its size.
template <class T>
struct SizeReportingAllocator {
    using value_type = T;

    SizeReportingAllocator() noexcept = default;
    template <class U>
    SizeReportingAllocator(const SizeReportingAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > SIZE_MAX / sizeof(T)) {
            throw_allocation_failure(SIZE_MAX);
        }
        const std::size_t bytes = count * sizeof(T);
        void* memory = std::malloc(bytes == 0 ? 1 : bytes);
        if (memory == nullptr) {
            throw_allocation_failure(bytes);
        }
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t) noexcept { std::free(memory); }

    friend bool operator==(const SizeReportingAllocator&, const SizeReportingAllocator&) noexcept {
        return true;
    }
};

template <class T>
using Vector = std::vector<T, SizeReportingAllocator<T>>;

// Owned UTF-8 text.
using Text = std::basic_string<char, std::char_traits<char>, SizeReportingAllocator<char>>;

// A growable array of trivially copyable values. It grows with realloc, which moves a large
// block by remapping its pages: growing neither copies nor needs the old and the new block at
// once, so the memory in use stays close to what the values need.
template <class T>
class PodBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    PodBuffer() = default;
    PodBuffer(PodBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    PodBuffer& operator=(PodBuffer&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }
    ~PodBuffer() { std::free(data_); }

    void reserve(std::size_t capacity) {
        if (capacity <= capacity_) {
            return;
        }
        if (capacity > SIZE_MAX / sizeof(T)) {
            throw_allocation_failure(SIZE_MAX);
        }
        void* grown = std::realloc(data_, capacity * sizeof(T));
        if (grown == nullptr) {
            throw_allocation_failure(capacity * sizeof(T));
        }
        data_ = static_cast<T*>(grown);
        capacity_ = capacity;
    }
    void push_back(T value) {
        if (size_ == capacity_) [[unlikely]] {
            reserve(capacity_ < 64 ? 64 : capacity_ * 2);
        }
        data_[size_++] = value;
    }

    T& operator[](std::size_t index) { return data_[index]; }
    const T& operator[](std::size_t index) const { return data_[index]; }
    const T* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Owned bytes written through a raw cursor into room reserved once, for output whose upper
// bound is known: no capacity checks and no zero-filling on the hot path. Pages of the room
// that are never written are never touched. Debug builds check that every write the writer
// announces with has_room() fits.
class TextBuffer {
  public:
    TextBuffer() = default;
    explicit TextBuffer(std::size_t capacity)
        : data_(static_cast<char*>(std::malloc(capacity == 0 ? 1 : capacity))),
          capacity_(capacity) {
        if (data_ == nullptr) {
            throw_allocation_failure(capacity);
        }
    }
    TextBuffer(TextBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    TextBuffer& operator=(TextBuffer&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }
    ~TextBuffer() { std::free(data_); }

    char* begin_writing() { return data_; }
    // Whether `bytes` bytes from `cursor` lie inside the room; for assertions of the writer.
    bool has_room(const char* cursor, std::size_t bytes) const {
        return cursor >= data_ && bytes <= capacity_ - static_cast<std::size_t>(cursor - data_);
    }
    void finish_writing(const char* end) {
        assert(has_room(end, 0));
        size_ = static_cast<std::size_t>(end - data_);
    }
    std::size_t capacity() const { return capacity_; }

    const char* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_, size_}; }

  private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace quorvel
