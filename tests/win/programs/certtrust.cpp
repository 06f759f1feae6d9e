// Makes a test certificate authority trusted inside the test Wine prefix (and nowhere else): adds
// the DER certificate given as the argument to the current user's root store, which the system's
// TLS (and so WinInet) consults when it verifies a server's chain.
//
//   certtrust <ca.der>     exit code 0 when the certificate is in the store
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    FILE* f = std::fopen(argv[1], "rb");
    if (!f) return 3;
    std::vector<BYTE> der;
    for (int c; (c = std::fgetc(f)) != EOF;)
        der.push_back(BYTE(c));
    std::fclose(f);
    HCERTSTORE store = ::CertOpenSystemStoreA(0, "ROOT");
    if (!store) return 4;
    const BOOL added = ::CertAddEncodedCertificateToStore(
        store, X509_ASN_ENCODING, der.data(), DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(store, 0);
    if (!added) {
        std::printf("CertAddEncodedCertificateToStore failed (%lu)\n", ::GetLastError());
        return 5;
    }
    return 0;
}
