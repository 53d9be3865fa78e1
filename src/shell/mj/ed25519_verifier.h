#pragma once
// The SignatureVerifier port over OpenSSL's libcrypto: Ed25519 signatures checked against one public
// key, given to the constructor by the helper's composition root.

#include <string>
#include <vector>

#include "shell/signature.h"

namespace vq {

class Ed25519Verifier final : public SignatureVerifier {
public:
    // `publicKeyHex`: the 32 bytes of the raw public key as 64 hexadecimal digits. A key that is not
    // one verifies nothing.
    explicit Ed25519Verifier(const std::string& publicKeyHex);
    bool verify(std::string_view message, std::string_view signatureHex) const override;

private:
    std::vector<unsigned char> m_key;
};

}  // namespace vq
