#include "shell/mj/ed25519_verifier.h"

#include <openssl/evp.h>

#include <memory>

namespace vq {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The bytes written by `hex`, which must be exactly `size` of them; empty otherwise.
std::vector<unsigned char> fromHex(std::string_view hex, std::size_t size) {
    std::vector<unsigned char> bytes;
    if (hex.size() != 2 * size) {
        return bytes;
    }
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexValue(hex[i]);
        const int low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return {};
        }
        bytes.push_back(static_cast<unsigned char>(high * 16 + low));
    }
    return bytes;
}

struct KeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

Ed25519Verifier::Ed25519Verifier(const std::string& publicKeyHex) : m_key(fromHex(publicKeyHex, 32)) {}

bool Ed25519Verifier::verify(std::string_view message, std::string_view signatureHex) const {
    const std::vector<unsigned char> signature = fromHex(signatureHex, 64);
    if (m_key.empty() || signature.empty()) {
        return false;
    }
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, m_key.data(), m_key.size()));
    std::unique_ptr<EVP_MD_CTX, ContextDeleter> context(EVP_MD_CTX_new());
    if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
        return false;
    }
    return EVP_DigestVerify(context.get(), signature.data(), signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

}  // namespace vq
