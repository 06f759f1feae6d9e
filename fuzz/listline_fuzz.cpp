// Any bytes as an update-list line and as the signature file of a list: the readers refuse or
// accept without a fault, and what they accept holds what the run relies on.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/Unit_Function.h"
#include "update/ListSignature.h"
#include "update/RunLogic.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    TUpdateLine line;
    if (ParseUpdateLine(text, line) == TLineError::None) {
        // An accepted line names a file inside the updater's folder with a size that fits.
        // (A backslash byte may be the trail byte of a GBK character, so only "/" is never there.)
        Require(!line.name.empty() && line.name.find('/') == std::string::npos && line.name != "." &&
                line.name != "..");
        Require(line.size >= 0);
        // ... and a folder below it: no drive, no leading separator, no ".." step.
        Require(line.dir.find(':') == std::string::npos && (line.dir.empty() || line.dir[0] != '\\'));
        // Segments as the system reads the GBK text: a lead byte and a valid trail byte are one
        // character, even when the trail byte is the backslash's.
        std::string segment;
        for (size_t i = 0; i <= line.dir.size(); ++i) {
            const unsigned char c = i < line.dir.size() ? static_cast<unsigned char>(line.dir[i]) : '\\';
            if (GbkLeadByte(c) && i + 1 < line.dir.size() &&
                GbkTrailByte(static_cast<unsigned char>(line.dir[i + 1]))) {
                segment += line.dir.substr(i++, 2);
            } else if (c == '\\' || c == '/') {
                Require(segment != "..");
                segment.clear();
            } else {
                segment += char(c);
            }
        }
        const THashCheck check = HashCheckFor(line.hashField, true);
        Require(check != THashCheck::Skip);
    }
    Require(HashCheckFor(text, false) != THashCheck::Refuse);

    TListSignature signature;
    if (ParseListSignature(text, signature) == TSignatureFileError::None) Require(size <= 4096);
    TPublicKey key{};
    if (ParsePublicKey(text, key)) Require(size >= 128);
    ParseStoredSequence(text);
    return 0;
}
