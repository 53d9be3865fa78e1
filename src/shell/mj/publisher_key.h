#pragma once
// The publisher's public key: the only key whose signature makes an update trusted. Made and
// replaced with scripts/sign-release.sh (docs/releasing.md); its private half is never in this
// repository.

namespace vq {

inline constexpr const char* kPublisherPublicKey =
    "fe285b47d219eb305a2733fe43abdcf62f78de629624fd59679030d30363f895";

}  // namespace vq
