#include "formats/AtomParser.h"

#include <cstring>

#include "core/ByteOrder.h"

bool AtomParser::IsContainer(const uint8_t* type)
{
    static const char kContainers[][5] = {"moov", "drm ", "trak", "mdia", "minf", "stbl",
                                          "udta", "clip", "dinf", "edts", "matt"};
    for (const char* c : kContainers) {
        if (std::memcmp(type, c, 4) == 0) return true;
    }
    return false;
}

void AtomParser::Parse()
{
    Walk(0, 0, length_);
}

bool AtomParser::Visit(int, uint32_t, const uint8_t* atom, uint32_t size, uint32_t available)
{
    // An atom too short to hold its own header has no type and no children.
    return size >= 8 && available >= 4 && IsContainer(atom);
}

void AtomParser::Walk(int depth, uint32_t start, uint32_t end)
{
    // Real movies nest a handful of levels; a buffer of nested 8-byte container headers could
    // otherwise recurse a million levels deep and exhaust the stack.
    if (depth > kMaxDepth) throw MP4ParseException(0);
    uint32_t at = start;
    while (at < end) {
        uint32_t left = end - at;
        if (left < 4) throw MP4ParseException(0);
        uint32_t size = Be32(bytes_ + at);
        if (size == 0) return;
        if (size > left) throw MP4ParseException(0);
        const uint8_t* type = bytes_ + at + 4;
        uint32_t available = size >= 4 ? size - 4 : 0;  // bytes of the atom from its type on
        if (Visit(depth, at, type, size, available) && size >= 8) {
            Walk(depth + 1, at + 8, at + size);
        }
        at += size;
    }
}

bool MovieSizeReader::Visit(int depth, uint32_t offset, const uint8_t* atom, uint32_t size,
                            uint32_t available)
{
    // The visual sample entry's height ends 48 bytes after the type field; the atom must hold
    // all of it (the size test alone would let the reads run 3 bytes past a 49-byte atom).
    if (size > 48 && available >= 48 && std::memcmp(atom, "stsd", 4) == 0 &&
        std::memcmp(atom + 16, "mp4v", 4) == 0) {
        width_ = (int32_t)(((uint32_t)atom[44] << 8) | atom[45]);
        height_ = (int32_t)(((uint32_t)atom[46] << 8) | atom[47]);
    }
    return AtomParser::Visit(depth, offset, atom, size, available);
}
