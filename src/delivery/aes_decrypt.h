#pragma once
// AES-128 in CBC mode with PKCS#7 padding, as HLS encrypts whole segments
// (EXT-X-KEY:METHOD=AES-128), over OpenSSL's EVP interface.
#include <array>
#include <string>

// False when the key is not 16 bytes or the padding does not check out,
// which is how a wrong key shows itself.
bool DecryptAes128Cbc(const std::string& key, const std::array<unsigned char, 16>& iv, const std::string& cipher,
                      std::string& plain);
