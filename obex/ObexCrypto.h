// The platform's cryptography as the digest authentication needs it: secure random bytes and
// MD5 (RFC 1321). CryptoAPI on Windows, libcrypto and getrandom() elsewhere.
#pragma once
#include <cstdint>

// Fills `buffer` with `count` cryptographically random bytes; false when the platform cannot.
bool FillSecureRandom(uint8_t* buffer, uint32_t count);
// The 16-byte MD5 digest of a block; false when the platform cannot compute it.
bool Md5(const void* data, uint32_t count, uint8_t* out);

// Throws ObexException (code 1) when no random bytes can be had.
void GenerateSecureRandom(uint8_t* buffer, uint32_t count);
