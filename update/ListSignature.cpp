#include "update/ListSignature.h"

#include <cctype>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Exactly size * 2 hex digits into `out`.
bool HexBytes(const std::string& hex, std::uint8_t* out, size_t size) {
    if (hex.size() != size * 2) return false;
    for (size_t i = 0; i < size; ++i) {
        const int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = std::uint8_t(hi * 16 + lo);
    }
    return true;
}

std::string Trimmed(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r'))
        --e;
    return text.substr(b, e - b);
}

bool ParseDecimal(const std::string& text, std::uint64_t& out) {
    if (text.empty() || text.size() > 19) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + std::uint64_t(c - '0');
    }
    out = value;
    return true;
}

} // namespace

TSignatureFileError ParseListSignature(const std::string& text, TListSignature& out) {
    if (text.size() > 4096) return TSignatureFileError::TooLarge;
    bool haveSequence = false, haveSignature = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        const std::string key = eq == std::string::npos ? line : line.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        if (key == "Sequence" && !haveSequence) {
            if (!ParseDecimal(value, out.Sequence)) return TSignatureFileError::BadSequence;
            haveSequence = true;
        } else if (key == "Signature" && !haveSignature) {
            if (!HexBytes(value, out.Signature.data(), out.Signature.size()))
                return TSignatureFileError::BadSignature;
            haveSignature = true;
        } else {
            return TSignatureFileError::UnexpectedLine;
        }
    }
    if (!haveSequence) return TSignatureFileError::NoSequence;
    if (!haveSignature) return TSignatureFileError::NoSignature;
    return TSignatureFileError::None;
}

const char* SignatureFileErrorText(TSignatureFileError error) {
    switch (error) {
    case TSignatureFileError::None:
        return "";
    case TSignatureFileError::TooLarge:
        return "签名文件过大";
    case TSignatureFileError::NoSequence:
        return "签名文件缺少序号";
    case TSignatureFileError::NoSignature:
        return "签名文件缺少签名";
    case TSignatureFileError::BadSequence:
        return "签名文件的序号无效";
    case TSignatureFileError::BadSignature:
        return "签名文件的签名值无效";
    case TSignatureFileError::UnexpectedLine:
        return "签名文件含有无法识别的内容";
    }
    return "签名文件无效";
}

std::string SignedText(std::uint64_t sequence, const std::string& listName, const std::string& list) {
    return "Sequence=" + std::to_string(sequence) + "\r\nList=" + listName + "\r\n" + list;
}

bool ParsePublicKey(const std::string& hex, TPublicKey& out) {
    std::string digits = Trimmed(hex);
    if (digits.size() == 130) {
        if (digits.compare(0, 2, "04") != 0) return false;
        digits.erase(0, 2);
    }
    return HexBytes(digits, out.data(), out.size());
}

bool ParseSha256Hex(const std::string& hex, TSha256& out) {
    return HexBytes(hex, out.data(), out.size());
}

std::string HexText(const std::uint8_t* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

std::uint64_t ParseStoredSequence(const std::string& text) {
    std::uint64_t value = 0;
    return ParseDecimal(Trimmed(text.substr(0, text.find('\n'))), value) ? value : 0;
}
