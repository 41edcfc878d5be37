// CryptoAPI: a verify-only context of the default RSA provider for each call.
#include <windows.h>
#include <wincrypt.h>

#include "obex/ObexCrypto.h"

namespace {

class Context {
public:
    Context()
    {
        if (!CryptAcquireContextA(&handle_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
            handle_ = 0;
    }
    ~Context()
    {
        if (handle_) CryptReleaseContext(handle_, 0);
    }
    HCRYPTPROV get() const { return handle_; }

private:
    HCRYPTPROV handle_ = 0;
};

}  // namespace

bool FillSecureRandom(uint8_t* buffer, uint32_t count)
{
    Context context;
    if (!context.get()) return false;
    return CryptGenRandom(context.get(), count, buffer) != FALSE;
}

bool Md5(const void* data, uint32_t count, uint8_t* out)
{
    Context context;
    if (!context.get()) return false;
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(context.get(), CALG_MD5, 0, 0, &hash)) return false;
    DWORD size = 16;
    bool ok = CryptHashData(hash, static_cast<const BYTE*>(data), count, 0) &&
              CryptGetHashParam(hash, HP_HASHVAL, out, &size, 0) && size == 16;
    CryptDestroyHash(hash);
    return ok;
}
