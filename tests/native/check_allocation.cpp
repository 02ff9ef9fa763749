// Blocks keep their contents as they grow from malloc's heap into mappings of their own and
// from one mapping to a larger one, a text buffer grown from a spare block writes where the
// block was, a filled block gives back the pages past its end, and a large container's storage
// is a mapping of its own that goes whole when it is freed.
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "allocation.h"
#include "check.h"

namespace {

using quorvel::PodBuffer;

void check_growth_keeps_every_value() {
    PodBuffer<std::uint64_t> buffer;
    bool was_mapped = false;
    for (std::uint64_t i = 0; i < 3'000'000; ++i) {  // 24 MB: heap, then several mappings
        buffer.push_back(i * 2654435761u);
        was_mapped = was_mapped || buffer.mapped();
    }
    check::expect(was_mapped && buffer.mapped(), "a large buffer is a mapping of its own");
    bool intact = buffer.size() == 3'000'000;
    for (std::uint64_t i = 0; intact && i < buffer.size(); ++i) {
        intact = buffer[i] == i * 2654435761u;
    }
    check::expect(intact, "every value survives each growth");
}

void check_spare_block_becomes_the_text_buffer() {
    PodBuffer<std::uint64_t> tape;
    tape.reserve(1'000'000);
    tape.push_back(7);
    const void* where = tape.data();
    quorvel::SpareMemory spare;
    spare.keep(std::move(tape));
    quorvel::TextBuffer text = spare.text_buffer(8'000'000);
    check::expect(text.capacity() >= 8'000'000, "the text buffer has the room asked for");
    check::expect(text.data() == where, "the spare block is reused where it lies");
    char* out = text.begin_writing();
    std::memset(out, 'x', 8'000'000);
    text.finish_writing(out + 8'000'000);
    check::expect(text.view().size() == 8'000'000 && text.view().back() == 'x',
                  "all the room can be written");

    quorvel::SpareMemory small;
    PodBuffer<char> heap_block;
    heap_block.push_back('a');
    small.keep(std::move(heap_block));
    const quorvel::TextBuffer fresh = small.text_buffer(16);
    check::expect(fresh.capacity() >= 16, "without a mapped spare block the room is new");
}

#if defined(__linux__)
// Whether [data, data + bytes) is mapped at all: mincore refuses an unmapped page.
bool mapped(const void* data, std::size_t bytes) {
    const auto page = static_cast<std::size_t>(::getpagesize());
    std::vector<unsigned char> in_memory((bytes + page - 1) / page);
    return ::mincore(const_cast<void*>(data), bytes, in_memory.data()) == 0;
}

void check_large_containers_are_mappings_of_their_own() {
    const void* where = nullptr;
    std::size_t bytes = 0;
    {
        quorvel::Vector<std::uint64_t> values;
        for (std::uint64_t i = 0; i < 1'000'000; ++i) {  // 8 MB, grown from the heap
            values.push_back(i * 2654435761u);
        }
        bool intact = true;
        for (std::uint64_t i = 0; intact && i < values.size(); ++i) {
            intact = values[i] == i * 2654435761u;
        }
        check::expect(intact, "every element survives each growth");
        where = values.data();
        bytes = values.capacity() * sizeof(std::uint64_t);
        check::expect(reinterpret_cast<std::uintptr_t>(where) % (std::size_t{2} << 20) == 0,
                      "a container of megabytes starts on a huge page");
        check::expect(mapped(where, bytes), "its storage is mapped while it lives");
    }
    // No page of it is left.
    const auto page = static_cast<std::size_t>(::getpagesize());
    const char* start = static_cast<const char*>(where);
    bool gone = true;
    for (std::size_t at = 0; gone && at < bytes; at += page) {
        gone = !mapped(start + at, page);
    }
    check::expect(gone, "its whole mapping is gone once it is freed");
}

// How many of the pages of [data, data + bytes) are in memory.
std::size_t resident_pages(const char* data, std::size_t bytes) {
    const auto page = static_cast<std::size_t>(::getpagesize());
    std::vector<unsigned char> in_memory((bytes + page - 1) / page);
    if (::mincore(const_cast<char*>(data), bytes, in_memory.data()) != 0) {
        return SIZE_MAX;
    }
    std::size_t count = 0;
    for (const unsigned char flags : in_memory) {
        count += flags & 1;
    }
    return count;
}

void check_finished_blocks_give_back_their_tail() {
    const auto page = static_cast<std::size_t>(::getpagesize());
    constexpr std::size_t kRoom = 6'000'000;
    quorvel::TextBuffer text(kRoom);
    check::expect(text.mapped(), "a text buffer of megabytes is a mapping of its own");
    char* out = text.begin_writing();
    std::memset(out, 'x', kRoom);  // every page in memory, as a huge page would put them
    const std::size_t written = 3 * page + 10;
    text.finish_writing(out + written);
    check::expect(resident_pages(text.data(), kRoom) == 4, "only the written pages stay");
    check::expect(text.view().size() == written && text.view().back() == 'x',
                  "the written text stays");

    PodBuffer<std::uint64_t> tape;
    for (std::uint64_t i = 0; i < 400'000; ++i) {
        tape.push_back(i);
    }
    tape.release_unused_pages();
    const std::size_t kept = (tape.size() * sizeof(std::uint64_t) + page - 1) / page * page;
    check::expect(resident_pages(reinterpret_cast<const char*>(tape.data()) + kept,
                                 tape.capacity() * sizeof(std::uint64_t) - kept) == 0,
                  "no page past the values stays");
    bool intact = true;
    for (std::uint64_t i = 0; intact && i < tape.size(); ++i) {
        intact = tape[i] == i;
    }
    check::expect(intact, "the values stay");
}
#endif

}  // namespace

int main() {
    check_growth_keeps_every_value();
    check_spare_block_becomes_the_text_buffer();
#if defined(__linux__)
    check_finished_blocks_give_back_their_tail();
    check_large_containers_are_mappings_of_their_own();
#endif
    return check::status();
}
