#pragma once
// SHA-256 of a byte string or of a file, as lower-case hexadecimal text; used to check a downloaded
// program against the digest its publisher put next to it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vq {

class Sha256 {
public:
    Sha256();
    void update(const void* data, std::size_t size);
    // The digest as 64 lower-case hexadecimal digits; the object must not be updated afterwards.
    std::string hexDigest();

private:
    void block(const unsigned char* p);
    std::uint32_t m_h[8];
    unsigned char m_buffer[64];
    std::size_t m_used = 0;
    std::uint64_t m_length = 0;
};

std::string sha256Hex(std::string_view data);
// The digest of the file's content; nothing when the file cannot be read.
std::optional<std::string> sha256OfFile(const std::string& path);

}  // namespace vq
