#include "delivery/aes_decrypt.h"

#include <openssl/evp.h>

#include <memory>

bool DecryptAes128Cbc(const std::string& key, const std::array<unsigned char, 16>& iv, const std::string& cipher,
                      std::string& plain)
{
    if (key.size() != 16)
        return false;
    const std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX*)> context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!context
        || EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                              reinterpret_cast<const unsigned char*>(key.data()), iv.data()) != 1)
        return false;
    plain.resize(cipher.size() + 16);
    int written = 0;
    int last = 0;
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    if (EVP_DecryptUpdate(context.get(), out, &written, reinterpret_cast<const unsigned char*>(cipher.data()),
                          static_cast<int>(cipher.size())) != 1
        || EVP_DecryptFinal_ex(context.get(), out + written, &last) != 1) {
        plain.clear();
        return false;
    }
    plain.resize(static_cast<std::size_t>(written + last));
    return true;
}
