#pragma once
// The port that tells whether a text was signed with the publisher's private key: an update is
// trusted only when its version file carries such a signature.

#include <string_view>

namespace vq {

class SignatureVerifier {
public:
    virtual ~SignatureVerifier() = default;
    // True when `signatureHex` (the signature as hexadecimal digits) is a valid signature of
    // `message` by the trusted key.
    virtual bool verify(std::string_view message, std::string_view signatureHex) const = 0;
};

}  // namespace vq
