#pragma once
// MD5 (RFC 1321). Cache, favorite and list-cache file names and service
// signatures are the digest of a text's bytes as 32 lower-case hex digits.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Md5 {
public:
    Md5();
    void Update(const void* data, std::size_t size);
    std::array<std::uint8_t, 16> Finish();

private:
    void Transform(const std::uint8_t block[64]);

    std::uint32_t state_[4];
    std::uint64_t length_ = 0;  // bytes seen
    std::uint8_t buffer_[64];
};

std::string Md5Hex(std::string_view text);
