#include "update/ListVerifier_win.h"

#include "framework/DebugSink_win.h"
#include "framework/FileBytes.h"
#include "system/Crypto_win.h"

bool TListVerifier::Configure(const std::string& publicKeyText) {
    enabled_ = ParsePublicKey(publicKeyText, key_);
    return enabled_;
}

bool TListVerifier::Verify(const std::string& listName, const std::string& listBytes,
                           const std::string& signatureText, std::uint64_t& sequence,
                           std::string& reason) const {
    TListSignature signature;
    const TSignatureFileError error = ParseListSignature(signatureText, signature);
    if (error != TSignatureFileError::None) {
        reason = SignatureFileErrorText(error);
        return false;
    }
    const std::string text = SignedText(signature.Sequence, listName, listBytes);
    TDigest256 hash{};
    if (!Sha256OfBytes(text.data(), text.size(), hash) || !VerifyP256(key_, hash, signature.Signature)) {
        reason = "签名不符";
        return false;
    }
    // Checked after the signature: only a genuine old list is an attempt to roll the client back.
    if (!SequenceAcceptable(signature.Sequence, HighestAccepted())) {
        reason = "序号" + std::to_string(signature.Sequence) + "低于已接受的序号" +
                 std::to_string(HighestAccepted());
        return false;
    }
    sequence = signature.Sequence;
    return true;
}

std::uint64_t TListVerifier::HighestAccepted() const {
    std::string text;
    if (ReadFileBytes(storePath_, 64, text) != TFileRead::Ok) return 0;
    return ParseStoredSequence(text);
}

void TListVerifier::Accept(std::uint64_t sequence) {
    if (sequence <= HighestAccepted()) return;
    const std::string text = std::to_string(sequence) + "\r\n";
    // The list itself was good; only the next run's rollback check starts from the older number.
    if (!WriteFileBytes(storePath_, text.data(), text.size()))
        DebugReport("could not store the accepted list sequence in " + storePath_);
}
