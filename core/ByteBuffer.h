// A growable byte store made of fixed-size chunks, flattened into one block on demand.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class ByteBuffer {
public:
    explicit ByteBuffer(uint32_t chunkSize);
    virtual ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    virtual void AppendText(const char* text);  // without the terminator
    virtual void Append(const void* data, uint32_t count);
    virtual void AppendByte(uint8_t value);
    // All bytes in one block, valid until the next append or the buffer's end. Never null.
    virtual const uint8_t* GetData();
    virtual uint32_t GetSize() const;

private:
    struct Chunk {
        uint32_t capacity;
        uint32_t used;
        std::unique_ptr<uint8_t[]> bytes;
    };
    uint32_t chunkSize_;
    std::vector<Chunk> chunks_;
    uint32_t total_ = 0;
    std::unique_ptr<uint8_t[]> flat_;
    bool flatValid_ = false;
};
