// The system's cryptography as the signed lists use it: SHA-256 of bytes and of a file, and ECDSA
// P-256 verification of a signature made by the publisher's library (python3-cryptography).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "system/Crypto_win.h"
#include "update/ListSignature.h"

namespace {

template <size_t N> std::array<std::uint8_t, N> Hex(const std::string& hex) {
    std::array<std::uint8_t, N> out{};
    for (size_t i = 0; i < N; ++i)
        out[i] = std::uint8_t(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return out;
}

TEST(Crypto, Sha256OfBytesAndOfAFile) {
    TDigest256 digest{};
    ASSERT_TRUE(Sha256OfBytes("abc", 3, digest));
    EXPECT_EQ(HexText(digest.data(), digest.size()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "crypto_test.bin";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 100000; ++i)
            out.put(char('a' + i % 26)); // more than one read piece
    }
    std::string error;
    TDigest256 ofFile{}, ofBytes{};
    ASSERT_TRUE(Sha256OfFile(path, ofFile, error)) << error;
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += char('a' + i % 26);
    ASSERT_TRUE(Sha256OfBytes(bytes.data(), bytes.size(), ofBytes));
    EXPECT_EQ(ofFile, ofBytes);
    ::DeleteFileA(path.c_str());
    EXPECT_FALSE(Sha256OfFile(path, ofFile, error));
    EXPECT_NE(error.find("CreateFileA failed (2)"), std::string::npos) << error;
}

TEST(Crypto, P256SignaturesOfThePublisherVerifyAndNothingElseDoes) {
    TPublicKey key{};
    ASSERT_TRUE(ParsePublicKey(
        "04471c3e758c4904285bba7e53118ed0f524adeb0757d25bd2f8e7b0d76dfa714cdd520f7aca8a8b917acc"
        "37f51de8f0c9bbe3ad858382e702dc25a12d09f7a858",
        key));
    const auto signature =
        Hex<64>("d8a0ee1bdf063af700162929ea1e092bdeced8584cbd77a0ce54ff92c15452362aa0ffac1c2738e9d"
                "051cb5485de1628560332c1572d44487e7ec370492dac8d");
    const std::string text = SignedText(7, "updatelist.txt", "a|1|\r\n");
    TDigest256 hash{};
    ASSERT_TRUE(Sha256OfBytes(text.data(), text.size(), hash));
    EXPECT_TRUE(VerifyP256(key, hash, signature));

    const std::string older = SignedText(6, "updatelist.txt", "a|1|\r\n");
    ASSERT_TRUE(Sha256OfBytes(older.data(), older.size(), hash));
    EXPECT_FALSE(VerifyP256(key, hash, signature)) << "another sequence number";
    const std::string otherList = SignedText(7, "serverurl.txt", "a|1|\r\n");
    ASSERT_TRUE(Sha256OfBytes(otherList.data(), otherList.size(), hash));
    EXPECT_FALSE(VerifyP256(key, hash, signature)) << "the same bytes under the other list's name";

    ASSERT_TRUE(Sha256OfBytes(text.data(), text.size(), hash));
    auto flipped = signature;
    flipped[10] ^= 1;
    EXPECT_FALSE(VerifyP256(key, hash, flipped));
    TPublicKey notOnTheCurve = key;
    notOnTheCurve[5] ^= 1;
    EXPECT_FALSE(VerifyP256(notOnTheCurve, hash, signature));
}

} // namespace
