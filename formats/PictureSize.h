// The pixel size a JPEG, GIF or BMP file image declares in its headers, read without decoding,
// so that a picture too large to hold can be refused before a decoder allocates for it.
#pragma once
#include <cstdint>

// True with the size when the headers give one: JPEG from its first frame header (SOFn), GIF
// from its logical screen, BMP from its information header (absolute height). False otherwise;
// the decoder then has the last word.
bool ReadDeclaredPictureSize(const uint8_t* bytes, uint32_t length, uint32_t* width,
                             uint32_t* height);
