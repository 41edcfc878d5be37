#include "core/ByteBuffer.h"

#include <cstring>
#include <stdexcept>

ByteBuffer::ByteBuffer(uint32_t chunkSize) : chunkSize_(chunkSize ? chunkSize : 1) {}
ByteBuffer::~ByteBuffer() = default;

void ByteBuffer::AppendText(const char* text)
{
    Append(text, (uint32_t)std::strlen(text));
}

void ByteBuffer::Append(const void* data, uint32_t count)
{
    if (count == 0) return;
    if (count > 0xFFFFFFFFu - total_) throw std::length_error("ByteBuffer: 4 GiB exceeded");
    // The last chunk takes the bytes only while it stays short of full (strictly less).
    if (!chunks_.empty() && (uint64_t)chunks_.back().used + count < chunks_.back().capacity) {
        Chunk& last = chunks_.back();
        std::memcpy(last.bytes.get() + last.used, data, count);
        last.used += count;
    } else {
        uint32_t capacity = count > chunkSize_ ? count : chunkSize_;
        Chunk chunk{capacity, count, std::unique_ptr<uint8_t[]>(new uint8_t[capacity])};
        std::memcpy(chunk.bytes.get(), data, count);
        chunks_.push_back(std::move(chunk));
    }
    total_ += count;
    flat_.reset();
    flatValid_ = false;
}

void ByteBuffer::AppendByte(uint8_t value)
{
    Append(&value, 1);
}

const uint8_t* ByteBuffer::GetData()
{
    if (!flatValid_) {
        flat_.reset(new uint8_t[total_ ? total_ : 1]);
        uint32_t at = 0;
        for (const Chunk& c : chunks_) {
            std::memcpy(flat_.get() + at, c.bytes.get(), c.used);
            at += c.used;
        }
        flatValid_ = true;
    }
    return flat_.get();
}

uint32_t ByteBuffer::GetSize() const
{
    return total_;
}
