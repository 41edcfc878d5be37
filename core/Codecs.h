// Base64 and quoted-printable over caller-supplied buffers. No folding, no state: line breaks are
// made by the vNote writer and removed by the reader before decoding. Lengths are 32-bit; an
// encoded length that would not fit throws std::length_error instead of wrapping.
#pragma once
#include <cstdint>

uint32_t Base64EncodedLength(uint32_t n);
// Writes exactly Base64EncodedLength(n) characters, no terminator.
char* Base64Encode(char* out, const uint8_t* in, uint32_t n);
// 0 when m is not a multiple of 4, else m * 3 / 4 (an upper bound: padding is not subtracted).
uint32_t Base64DecodedLength(uint32_t m);
// nullptr when m is not a multiple of 4; stores the bytes written through outLength when given.
uint8_t* Base64Decode(uint8_t* out, uint32_t* outLength, const char* text, uint32_t m);

// Characters of the encoding plus 1 for the terminator.
uint32_t QpEncodedLength(const char* text);
uint32_t QpEncodedLength(const uint8_t* bytes, uint32_t n);  // counted: characters only
// Writes the encoding and a terminator.
char* QpEncode(char* out, const char* text);
char* QpEncode(char* out, const uint8_t* bytes, uint32_t n);  // counted: no terminator

// Decoded bytes plus 1 for a terminator; 1 when the text ends inside an escape.
uint32_t QpDecodedLength(const char* text);
uint32_t QpDecodedLength(const char* text, uint32_t m);  // counted: bytes only, 0 inside an escape
// Decoded bytes and a terminator, or nullptr on a bad escape; after a failure `out` holds an
// empty text, so callers that ignore the result still store a valid one.
char* QpDecode(char* out, const char* text);
// Counted form: no terminator; stores the byte count through outLength; nullptr on failure.
uint8_t* QpDecode(uint8_t* out, uint32_t* outLength, const char* text, uint32_t m);
