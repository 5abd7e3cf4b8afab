// Certificates for the TLS tests, made at test time with OpenSSL: a private
// CA and two server certificates it signs, one for this machine's loopback
// names and one for another name. No test trusts anything but this CA.
#pragma once

#include <string>

#include "TestFiles.h"

namespace kvtls {

// Makes the CA, the certificates and their keys (EC P-256, valid from an
// hour ago for a day) as PEM files in a fresh directory under $TMPDIR (or
// /tmp); the destructor removes the directory.
class TestPki {
 public:
  TestPki();
  TestPki(const TestPki&) = delete;
  TestPki& operator=(const TestPki&) = delete;

  // False when anything failed; error() says what.
  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }

  const std::string& dir() const { return m_dir.path(); }
  // The CA certificate: the bundle a client passes as its trust store.
  std::string caFile() const { return m_dir.file("ca.pem"); }
  // Server certificate for IP 127.0.0.1 and DNS localhost, and its key.
  std::string certFile() const { return m_dir.file("loopback.pem"); }
  std::string keyFile() const { return m_dir.file("loopback.key"); }
  // Server certificate for DNS other.invalid only: a name mismatch on loopback.
  std::string otherCertFile() const { return m_dir.file("other.pem"); }
  std::string otherKeyFile() const { return m_dir.file("other.key"); }

 private:
  kvtest::TempDir m_dir{"kv-tls"};
  std::string m_error;
};

}  // namespace kvtls
