#include "obex/ObexCrypto.h"

#include "obex/ObexException.h"

void GenerateSecureRandom(uint8_t* buffer, uint32_t count)
{
    if (!FillSecureRandom(buffer, count))
        throw ObexException(OBEX_ERR_CRYPTO, "GenerateSecureRandom:セキュア乱数の生成に失敗しました。");
}
