// Walks the atom (box) tree of a 3GP/MP4 movie held in memory; 32-bit atom sizes only.
#pragma once
#include <cstdint>

#include "core/Error.h"

class MP4ParseException : public ZvError {
public:
    explicit MP4ParseException(int32_t code = 0) : ZvError(code, "") {}
};

class AtomParser {
public:
    AtomParser(const uint8_t* bytes, uint32_t length) : bytes_(bytes), length_(length) {}
    virtual ~AtomParser() = default;

    // Walks the whole buffer; throws MP4ParseException when the structure does not add up.
    virtual void Parse();
    // Called for every atom. `atom` points at the atom's type field and `available` bytes from
    // there lie inside the buffer. Returns true to descend into the atom's children.
    virtual bool Visit(int depth, uint32_t offset, const uint8_t* atom, uint32_t size,
                       uint32_t available);

protected:
    static bool IsContainer(const uint8_t* type);

private:
    static constexpr int kMaxDepth = 64;
    void Walk(int depth, uint32_t offset, uint32_t end);
    const uint8_t* bytes_;
    uint32_t length_;
};

// Picks the frame size out of the first "mp4v" visual sample entry of a "stsd" atom.
class MovieSizeReader : public AtomParser {
public:
    MovieSizeReader(const uint8_t* bytes, uint32_t length) : AtomParser(bytes, length) {}
    bool Visit(int depth, uint32_t offset, const uint8_t* atom, uint32_t size,
               uint32_t available) override;
    int32_t GetWidth() const { return width_; }   // -1 until found
    int32_t GetHeight() const { return height_; }

private:
    int32_t width_ = -1;
    int32_t height_ = -1;
};
