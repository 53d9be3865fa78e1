#include "shell/sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fakes.h"

namespace vq {
namespace {

TEST(Sha256, MatchesPublishedDigestsAcrossBlockBoundaries) {
    EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // Lengths around the 56-byte padding limit and the 64-byte block.
    EXPECT_EQ(sha256Hex(std::string(55, 'x')),
              "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072");
    EXPECT_EQ(sha256Hex(std::string(56, 'x')),
              "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e");
    EXPECT_EQ(sha256Hex(std::string(63, 'x')),
              "75220b47218278e656f2013bb8f0c455a25eaf01e86c64924e9d48d89776d6f2");
    EXPECT_EQ(sha256Hex(std::string(64, 'x')),
              "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c");
    EXPECT_EQ(sha256Hex(std::string(65, 'x')),
              "9537c5fdf120482f7d58d25e9ed583f52c02b4e304ea814db1633ad565aed7e9");
}

TEST(Sha256, FileDigestReadsWholeBinaryFilesAndReportsMissingOnes) {
    test::TempDir dir;
    // A million bytes: several read buffers, and a NUL inside binary content must not stop the read.
    std::string content(1000000, 'a');
    test::writeFile(dir.file("big"), content);
    EXPECT_EQ(sha256OfFile(dir.file("big")),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    const std::string binary(
        "\x7f"
        "ELF\0\0\x01\xff",
        8);
    test::writeFile(dir.file("bin"), binary);
    EXPECT_EQ(sha256OfFile(dir.file("bin")), sha256Hex(binary));
    EXPECT_EQ(sha256OfFile(dir.file("missing")), std::nullopt);
}

}  // namespace
}  // namespace vq
