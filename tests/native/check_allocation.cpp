// Blocks keep their contents as they grow from malloc's heap into mappings of their own and
// from one mapping to a larger one, and a text buffer grown from a spare block writes where the
// block was.
#include <cstdint>
#include <cstring>
#include <vector>

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

}  // namespace

int main() {
    check_growth_keeps_every_value();
    check_spare_block_becomes_the_text_buffer();
    return check::status();
}
