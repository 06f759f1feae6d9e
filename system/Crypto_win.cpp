#include "system/Crypto_win.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "framework/Handle_win.h"

namespace {

struct AlgorithmTraits {
    using type = BCRYPT_ALG_HANDLE;
    static type invalid() { return nullptr; }
    static bool valid(type h) { return h != nullptr; }
    static void close(type h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
    using type = BCRYPT_HASH_HANDLE;
    static type invalid() { return nullptr; }
    static bool valid(type h) { return h != nullptr; }
    static void close(type h) { ::BCryptDestroyHash(h); }
};
struct KeyTraits {
    using type = BCRYPT_KEY_HANDLE;
    static type invalid() { return nullptr; }
    static bool valid(type h) { return h != nullptr; }
    static void close(type h) { ::BCryptDestroyKey(h); }
};
using unique_bcrypt_alg = unique_any<AlgorithmTraits>;
using unique_bcrypt_hash = unique_any<HashTraits>;
using unique_bcrypt_key = unique_any<KeyTraits>;

bool Ok(NTSTATUS status) {
    return status >= 0;
}

std::string Failure(const char* call, unsigned long code) {
    return std::string(call) + " failed (" + std::to_string(code) + ")";
}

// An open SHA-256 hash object.
class TSha256 {
public:
    bool Open(std::string& error) {
        NTSTATUS s = ::BCryptOpenAlgorithmProvider(alg_.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0);
        if (!Ok(s)) {
            error = Failure("BCryptOpenAlgorithmProvider", unsigned(s));
            return false;
        }
        s = ::BCryptCreateHash(alg_.get(), hash_.put(), nullptr, 0, nullptr, 0, 0);
        if (!Ok(s)) error = Failure("BCryptCreateHash", unsigned(s));
        return Ok(s);
    }
    bool Add(const void* data, size_t size) {
        return Ok(
            ::BCryptHashData(hash_.get(), static_cast<PUCHAR>(const_cast<void*>(data)), ULONG(size), 0));
    }
    bool Finish(TDigest256& out) {
        return Ok(::BCryptFinishHash(hash_.get(), out.data(), ULONG(out.size()), 0));
    }

private:
    unique_bcrypt_alg alg_;
    unique_bcrypt_hash hash_;
};

} // namespace

bool Sha256OfBytes(const void* data, size_t size, TDigest256& out) {
    TSha256 sha;
    std::string error;
    return sha.Open(error) && sha.Add(data, size) && sha.Finish(out);
}

bool Sha256OfFile(const std::string& path, TDigest256& out, std::string& error) {
    unique_handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        error = Failure("CreateFileA", ::GetLastError());
        return false;
    }
    TSha256 sha;
    if (!sha.Open(error)) return false;
    std::vector<std::uint8_t> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer.data(), DWORD(buffer.size()), &got, nullptr)) {
            error = Failure("ReadFile", ::GetLastError());
            return false;
        }
        if (got == 0) break;
        if (!sha.Add(buffer.data(), got)) {
            error = "BCryptHashData failed";
            return false;
        }
    }
    if (!sha.Finish(out)) {
        error = "BCryptFinishHash failed";
        return false;
    }
    return true;
}

bool VerifyP256(const std::array<std::uint8_t, 64>& publicKey, const TDigest256& hash,
                const std::array<std::uint8_t, 64>& signature) {
    unique_bcrypt_alg alg;
    if (!Ok(::BCryptOpenAlgorithmProvider(alg.put(), BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0))) return false;
    // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y.
    std::vector<std::uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + publicKey.size());
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = 32;
    std::copy(publicKey.begin(), publicKey.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));
    unique_bcrypt_key key;
    if (!Ok(::BCryptImportKeyPair(alg.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, key.put(), blob.data(),
                                  ULONG(blob.size()), 0)))
        return false;
    return ::BCryptVerifySignature(key.get(), nullptr, const_cast<PUCHAR>(hash.data()), ULONG(hash.size()),
                                   const_cast<PUCHAR>(signature.data()), ULONG(signature.size()), 0) == 0;
}
