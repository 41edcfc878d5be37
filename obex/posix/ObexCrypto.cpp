// Linux stand-in: getrandom() for the random bytes, libcrypto's EVP interface for MD5.
#include "obex/ObexCrypto.h"

#include <openssl/evp.h>
#include <sys/random.h>

#include <cerrno>

bool FillSecureRandom(uint8_t* buffer, uint32_t count)
{
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = getrandom(buffer + done, count - done, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += (uint32_t)n;
    }
    return true;
}

bool Md5(const void* data, uint32_t count, uint8_t* out)
{
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    if (!ctx) return false;
    unsigned int size = 0;
    bool ok = EVP_DigestInit_ex(ctx, EVP_md5(), nullptr) == 1 &&
              EVP_DigestUpdate(ctx, data, count) == 1 &&
              EVP_DigestFinal_ex(ctx, out, &size) == 1 && size == 16;
    EVP_MD_CTX_free(ctx);
    return ok;
}
