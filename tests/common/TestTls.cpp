// Test PKI with the OpenSSL C API: keys, X.509 v3 certificates, PEM files.
#include "TestTls.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace kvtls {

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Cert = std::unique_ptr<X509, decltype(&X509_free)>;
using Extensions = std::vector<std::pair<int, const char*>>;

const Extensions kCaExtensions = {
    {NID_basic_constraints, "critical,CA:TRUE"},
    {NID_key_usage, "critical,keyCertSign,cRLSign"},
    {NID_subject_key_identifier, "hash"},
};

Extensions serverExtensions(const char* altNames) {
  return {{NID_basic_constraints, "critical,CA:FALSE"},
          {NID_key_usage, "critical,digitalSignature"},
          {NID_ext_key_usage, "serverAuth"},
          {NID_subject_alt_name, altNames},
          {NID_subject_key_identifier, "hash"},
          {NID_authority_key_identifier, "keyid:always"}};
}

Key newKey() {
  return Key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), &EVP_PKEY_free);
}

bool randomSerial(X509* cert) {
  unsigned char bytes[8];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return false;
  bytes[0] &= 0x7f;  // a positive number
  BIGNUM* number = BN_bin2bn(bytes, sizeof bytes, nullptr);
  bool ok = number != nullptr && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert)) != nullptr;
  BN_free(number);
  return ok;
}

// A certificate for `key` named `commonName`, signed by `issuerKey` as
// `issuer` (null: self-signed). Null on failure.
Cert makeCert(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
              const Extensions& extensions) {
  Cert cert(X509_new(), &X509_free);
  if (!cert || X509_set_version(cert.get(), 2) != 1 || !randomSerial(cert.get()) ||
      X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) == nullptr ||
      X509_gmtime_adj(X509_getm_notAfter(cert.get()), 24 * 3600) == nullptr ||
      X509_set_pubkey(cert.get(), key) != 1) {
    return Cert(nullptr, &X509_free);
  }
  X509_NAME* name = X509_get_subject_name(cert.get());
  if (X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                 reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                                 0) != 1 ||
      X509_set_issuer_name(cert.get(), X509_get_subject_name(issuer ? issuer : cert.get())) != 1) {
    return Cert(nullptr, &X509_free);
  }
  for (const auto& e : extensions) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer ? issuer : cert.get(), cert.get(), nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, e.first, e.second);
    const bool added = ext != nullptr && X509_add_ext(cert.get(), ext, -1) == 1;
    X509_EXTENSION_free(ext);
    if (!added) return Cert(nullptr, &X509_free);
  }
  if (X509_sign(cert.get(), issuerKey, EVP_sha256()) == 0) return Cert(nullptr, &X509_free);
  return cert;
}

// Writes the PEM text that `write` produces to `path`, created with `mode`.
template <class Write>
bool writePem(const std::string& path, mode_t mode, Write write) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  FILE* file = fdopen(fd, "w");
  if (file == nullptr) {
    close(fd);
    return false;
  }
  const bool written = write(file) == 1;
  return std::fclose(file) == 0 && written;
}

bool writeCert(const std::string& path, X509* cert) {
  return writePem(path, 0644, [&](FILE* f) { return PEM_write_X509(f, cert); });
}

bool writeKey(const std::string& path, EVP_PKEY* key) {
  return writePem(path, 0600, [&](FILE* f) {
    return PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr);
  });
}

}  // namespace

TestPki::TestPki() {
  if (m_dir.path().empty()) {
    m_error = "cannot create a directory for the certificates";
    return;
  }

  Key caKey = newKey();
  Key loopbackKey = newKey();
  Key otherKey = newKey();
  if (!caKey || !loopbackKey || !otherKey) {
    m_error = "cannot generate EC keys";
    return;
  }
  Cert ca = makeCert(caKey.get(), "Kinvale test CA", nullptr, caKey.get(), kCaExtensions);
  if (!ca) {
    m_error = "cannot make the CA certificate";
    return;
  }
  Cert loopback = makeCert(loopbackKey.get(), "127.0.0.1", ca.get(), caKey.get(),
                           serverExtensions("IP:127.0.0.1,DNS:localhost"));
  Cert other = makeCert(otherKey.get(), "other.invalid", ca.get(), caKey.get(),
                        serverExtensions("DNS:other.invalid"));
  if (!loopback || !other) {
    m_error = "cannot make the server certificates";
    return;
  }
  if (!writeCert(caFile(), ca.get()) || !writeCert(certFile(), loopback.get()) ||
      !writeKey(keyFile(), loopbackKey.get()) || !writeCert(otherCertFile(), other.get()) ||
      !writeKey(otherKeyFile(), otherKey.get())) {
    m_error = "cannot write the PEM files in " + m_dir.path();
  }
}

}  // namespace kvtls
