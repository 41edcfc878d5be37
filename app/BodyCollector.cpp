#include "app/BodyCollector.h"

#include <algorithm>

namespace {

constexpr uint32_t kFirstBlock = 8u << 10;
constexpr uint32_t kLargestBlock = 1u << 20;

}  // namespace

void BodyCollector::Append(const uint8_t* data, uint32_t length, uint32_t announced)
{
    while (length > 0) {
        if (blocks_.empty() || blocks_.back().size() == blocks_.back().capacity()) {
            const size_t doubled = blocks_.empty() ? 0 : blocks_.back().capacity() * 2;
            // A phone's claim alone sets aside no more than the largest block.
            uint32_t want = blocks_.empty() && announced
                                ? std::min(announced, kLargestBlock)
                                : (uint32_t)std::min<size_t>(std::max<size_t>(doubled, kFirstBlock),
                                                             kLargestBlock);
            // The OBEX server refuses a body beyond the limit before it gets here; the room
            // left is never 0 then, but a piece must fit somewhere all the same.
            want = std::min(want, limit_ > reserved_ ? limit_ - reserved_ : 0u);
            if (want == 0) want = length;
            blocks_.emplace_back();
            blocks_.back().reserve(want);
            reserved_ += (uint32_t)blocks_.back().capacity();
        }
        std::vector<uint8_t>& block = blocks_.back();
        const uint32_t n = std::min(length, (uint32_t)(block.capacity() - block.size()));
        block.insert(block.end(), data, data + n);
        data += n;
        length -= n;
        size_ += n;
    }
}

std::vector<uint8_t> BodyCollector::Take()
{
    std::vector<uint8_t> all;
    if (blocks_.size() == 1) {
        all.swap(blocks_.front());
    } else {
        all.reserve(size_);
        for (std::vector<uint8_t>& block : blocks_) {
            all.insert(all.end(), block.begin(), block.end());
            std::vector<uint8_t>().swap(block);
        }
    }
    blocks_.clear();
    size_ = reserved_ = 0;
    return all;
}
