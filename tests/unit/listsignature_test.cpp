// Reading the signature files, keys and hashes of signed lists.
#include "update/ListSignature.h"

#include <gtest/gtest.h>

namespace {

const std::string kSig128(128, 'a');

TEST(ListSignature, SignatureFilesAcceptedAndRefused) {
    using E = TSignatureFileError;
    struct Row {
        std::string text;
        E expected;
    };
    const Row rows[] = {
        {"Sequence=1765280000123\r\nSignature=" + kSig128 + "\r\n", E::None},
        {"Signature=" + std::string(64, 'F') + std::string(64, '0') + "\nSequence=7\n\n", E::None},
        {"Sequence=12\r\n", E::NoSignature},
        {"Signature=" + kSig128 + "\r\n", E::NoSequence},
        {"Sequence=-1\r\nSignature=" + kSig128, E::BadSequence},
        {"Sequence=99999999999999999999\r\nSignature=" + kSig128, E::BadSequence},
        {"Sequence=1\r\nSignature=" + kSig128.substr(1), E::BadSignature},
        {"Sequence=1\r\nSignature=" + std::string(127, 'a') + "g", E::BadSignature},
        {"Sequence=1\r\nSequence=2\r\nSignature=" + kSig128, E::UnexpectedLine},
        {"Sequence=1\r\nSignature=" + kSig128 + "\r\nComment=x", E::UnexpectedLine},
        {"", E::NoSequence},
        {std::string(5000, ' '), E::TooLarge},
    };
    for (const Row& r : rows) {
        TListSignature sig;
        EXPECT_EQ(ParseListSignature(r.text, sig), r.expected) << r.text.substr(0, 40);
        EXPECT_NE(std::string(SignatureFileErrorText(r.expected)).empty(), r.expected != E::None);
    }
    TListSignature sig;
    ASSERT_EQ(ParseListSignature(
                  "Signature=" + std::string(62, '0') + "ff" + std::string(64, '1') + "\r\nSequence=42", sig),
              E::None);
    EXPECT_EQ(sig.Sequence, 42u);
    EXPECT_EQ(sig.Signature[31], 0xFF);
    EXPECT_EQ(sig.Signature[32], 0x11);
}

TEST(ListSignature, SignedTextKeysHashesAndTheSequenceStore) {
    EXPECT_EQ(SignedText(17, "updatelist.txt", "a|1|\r\n"), "Sequence=17\r\nList=updatelist.txt\r\na|1|\r\n");

    TPublicKey key{};
    const std::string xy = std::string(62, '0') + "0a" + std::string(62, '0') + "0B";
    EXPECT_TRUE(ParsePublicKey("  04" + xy + " ", key));
    EXPECT_EQ(key[31], 0x0A);
    EXPECT_EQ(key[63], 0x0B);
    EXPECT_TRUE(ParsePublicKey(xy, key));
    EXPECT_FALSE(ParsePublicKey("02" + xy, key)) << "a compressed point is not what the publisher writes";
    EXPECT_FALSE(ParsePublicKey(xy.substr(2), key));
    EXPECT_FALSE(ParsePublicKey("", key));

    TSha256 hash{};
    const std::string hex = "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";
    ASSERT_TRUE(ParseSha256Hex(hex, hash));
    EXPECT_EQ(HexText(hash.data(), hash.size()),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_FALSE(ParseSha256Hex(hex + "0", hash));
    EXPECT_FALSE(ParseSha256Hex(hex.substr(0, 63) + "x", hash));

    EXPECT_EQ(ParseStoredSequence("1765280000123\r\n"), 1765280000123u);
    EXPECT_EQ(ParseStoredSequence(""), 0u);
    EXPECT_EQ(ParseStoredSequence("garbage"), 0u);
    EXPECT_TRUE(SequenceAcceptable(5, 5)) << "the same publication may be fetched again";
    EXPECT_FALSE(SequenceAcceptable(4, 5));
}

} // namespace
