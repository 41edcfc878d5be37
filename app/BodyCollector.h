// The body of one PUT as it arrives, held within a limit and handed over as one block.
#pragma once
#include <cstdint>
#include <vector>

// Pieces go into one block of the announced size (up to 1 MiB) when the phone announced one,
// then into blocks that double from 8 KiB up to 1 MiB; no block reaches past the limit. So what
// is held never exceeds the limit however the phone splits its body, and the body of up to 1 MiB
// that an honest phone announces is handed over without a copy.
class BodyCollector {
public:
    explicit BodyCollector(uint32_t limit) : limit_(limit) {}

    // `announced` is the Length header (0 when none); it sizes the first block only.
    void Append(const uint8_t* data, uint32_t length, uint32_t announced);
    uint32_t GetSize() const { return size_; }
    // All bytes in one block; the collector is empty afterwards. Several blocks are copied into
    // one, each released as soon as it is copied.
    std::vector<uint8_t> Take();

private:
    uint32_t limit_;
    uint32_t size_ = 0;
    uint32_t reserved_ = 0;  // capacity of all blocks
    std::vector<std::vector<uint8_t>> blocks_;
};
