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

// Storage for a container's elements: from malloc, except that from kMappedElementBytes on
// it is a mapping of its own in huge pages (see grow_storage): a ring of tens of thousands of
// points, its working copies and the guard's trees are then cleared a huge page at a time,
// where small pages would each cost a fault. From malloc, such blocks would come from a heap
// that the C library gives back to the system after each call, its threshold for doing so
// being set by the blocks it has mapped itself, and fault in page by page again on the next
// (on a ring of 160,000 points, 2,000 to 3,800 faults per call, a tenth of its time). The
// real maps' containers all stay below that size, and a block this large leaves at most half
// of its huge pages unused. Out of line, so that the containers' code around them stays as
// small as with malloc and free.
inline constexpr std::size_t kMappedElementBytes = std::size_t{1} << 20;
void* allocate_elements(std::size_t bytes);
void deallocate_elements(void* memory, std::size_t bytes) noexcept;

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
        return static_cast<T*>(allocate_elements(count * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t count) noexcept {
        deallocate_elements(memory, count * sizeof(T));
    }

    friend bool operator==(const SizeReportingAllocator&, const SizeReportingAllocator&) noexcept {
        return true;
    }
};

template <class T>
using Vector = std::vector<T, SizeReportingAllocator<T>>;

// Owned UTF-8 text.
using Text = std::basic_string<char, std::char_traits<char>, SizeReportingAllocator<char>>;

// Raw storage of a PodBlock: `bytes` bytes at `data`, from malloc, or, for a large block, a
// mapping of its own.
struct BlockStorage {
    void* data = nullptr;
    std::size_t bytes = 0;
    bool mapped = false;
};

// Storage of at least `bytes` bytes holding the contents of `old`, which it replaces. A large
// block is a mapping of its own rather than part of the C library's heap, whatever the heap
// did before: freeing it gives its pages back to the system at once, so that no call leaves
// the process larger, and growing it remaps its pages instead of copying them. Throws
// AllocationFailure.
BlockStorage grow_storage(BlockStorage old, std::size_t bytes);
// Gives back the pages of a mapped block that lie wholly past its first `used` bytes; their
// contents are lost. Does nothing to a block from malloc.
void release_pages_beyond(BlockStorage storage, std::size_t used) noexcept;
void release_storage(BlockStorage storage) noexcept;

// Storage for trivially copyable values: a block of `capacity` values of which the first `size`
// are in use. Moves hand the block over; nothing is ever copied.
template <class T>
class PodBlock {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    PodBlock() = default;
    PodBlock(PodBlock&& other) noexcept
        : storage_(std::exchange(other.storage_, BlockStorage{})),
          size_(std::exchange(other.size_, 0)) {}
    PodBlock& operator=(PodBlock&& other) noexcept {
        std::swap(storage_, other.storage_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~PodBlock() { release_storage(storage_); }

    // Grows the block to room for at least `capacity` values, keeping its contents.
    void reserve(std::size_t capacity) {
        if (capacity <= this->capacity()) {
            return;
        }
        if (capacity > SIZE_MAX / sizeof(T)) {
            throw_allocation_failure(SIZE_MAX);
        }
        storage_ = grow_storage(storage_, capacity * sizeof(T));
    }

    const T* data() const { return static_cast<const T*>(storage_.data); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return storage_.bytes / sizeof(T); }
    // Whether the block is a mapping of its own (see grow_storage).
    bool mapped() const { return storage_.mapped; }
    // Once the block is filled: the pages past the values in use go back to the system (a huge
    // page is rarely filled to its end), while the room stays reserved.
    void release_unused_pages() noexcept { release_pages_beyond(storage_, size_ * sizeof(T)); }

    // The same storage, emptied, as a block of values of another type.
    template <class U>
    PodBlock<U> rebound() && noexcept {
        PodBlock<U> block;
        block.storage_ = std::exchange(storage_, BlockStorage{});
        size_ = 0;
        return block;
    }

  protected:
    template <class U>
    friend class PodBlock;

    T* values() { return static_cast<T*>(storage_.data); }

    BlockStorage storage_;
    std::size_t size_ = 0;
};

// A growable array of trivially copyable values, doubling its block when full.
template <class T>
class PodBuffer : public PodBlock<T> {
  public:
    void push_back(T value) {
        const std::size_t capacity = this->capacity();
        if (this->size_ == capacity) [[unlikely]] {
            this->reserve(capacity < 64 ? 64 : capacity * 2);
        }
        this->values()[this->size_++] = value;
    }

    T& operator[](std::size_t index) { return this->values()[index]; }
    const T& operator[](std::size_t index) const { return this->data()[index]; }
};

// Owned bytes written through a raw cursor into room reserved once, for output whose upper
// bound is known: no capacity checks and no zero-filling on the hot path. Pages of the room
// that are never written are never touched. Debug builds check that every write the writer
// announces with has_room() fits.
class TextBuffer : public PodBlock<char> {
  public:
    TextBuffer() = default;
    explicit TextBuffer(std::size_t capacity) { reserve(capacity == 0 ? 1 : capacity); }
    // The room in a block that an earlier stage wrote, grown to `capacity` bytes.
    TextBuffer(PodBlock<char>&& recycled, std::size_t capacity)
        : PodBlock<char>(std::move(recycled)) {
        size_ = 0;
        reserve(capacity == 0 ? 1 : capacity);
    }

    char* begin_writing() { return values(); }
    // Whether `bytes` bytes from `cursor` lie inside the room; for assertions of the writer.
    bool has_room(const char* cursor, std::size_t bytes) const {
        return cursor >= data() && bytes <= capacity() - static_cast<std::size_t>(cursor - data());
    }
    void finish_writing(const char* end) {
        assert(has_room(end, 0));
        size_ = static_cast<std::size_t>(end - data());
        release_unused_pages();
    }

    std::string_view view() const { return {data(), size_}; }
};

// Memory that a stage of a call no longer needs, handed on to a later stage of the same call,
// which writes into it: its pages are already mapped, where a new block of that size would ask
// the system for fresh ones and have it clear each on first touch. Only a block that is a
// mapping of its own is kept: it grows by remapping its pages, never by copying them.
class SpareMemory {
  public:
    // Keeps the storage of a mapped block, or frees it.
    template <class T>
    void keep(PodBlock<T>&& block) noexcept {
        PodBlock<char> bytes = std::move(block).template rebound<char>();
        if (bytes.mapped() && bytes.capacity() > block_.capacity()) {
            block_ = std::move(bytes);
        }
    }

    // Room for `capacity` bytes of text, in the kept block when there is one.
    TextBuffer text_buffer(std::size_t capacity) {
        if (block_.capacity() == 0) {
            return TextBuffer(capacity);
        }
        return TextBuffer(std::move(block_), capacity);
    }

  private:
    PodBlock<char> block_;
};

}  // namespace quorvel
