// Shared helpers of the kvsim tests: an in-process server on a free port, a
// client for it, and the signed headers the plug-in sends.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <ctime>
#include <memory>
#include <string>

#include "AuthHeader.h"
#include "HttpDate.h"
#include "Server.h"

namespace kvsim_test {

const std::string kService = "/openapi/service/kinvale/";
const std::string kAppId = "kvdemo-app";
const std::string kToken = "kvdemo-token";
const std::string kDuid = "kvdemo-tv-0001";

// Authorization and DATE as a logged-in plug-in session sends them.
inline httplib::Headers signedHeaders(const std::string& appId = kAppId,
                                      const std::string& token = kToken,
                                      const std::string& duid = kDuid) {
  return {{"Authorization",
           kvsim::buildAuthorization(appId, token, duid, kvsim::signatureOf(appId, token))},
          {"DATE", kvsim::formatDateHeader(std::time(nullptr))}};
}

// A kvsim server started on a free port for one test, stopped at its end.
class ServerFixture : public ::testing::Test {
 protected:
  void startServer(kvsim::ServerConfig config = kvsim::ServerConfig()) {
    m_server = std::make_unique<kvsim::Server>(std::move(config));
    std::string error;
    m_port = m_server->start(0, error);
    ASSERT_GT(m_port, 0) << error;
    // Plain or https as the server serves; https trusts only `m_caFile`.
    m_client = std::make_unique<httplib::Client>(m_server->baseUrl());
    if (!m_caFile.empty()) m_client->set_ca_cert_path(m_caFile.c_str());
    m_client->set_connection_timeout(5);
    m_client->set_read_timeout(10);
    m_client->set_url_encode(false);  // send queries byte for byte, as the plug-in does
  }
  void SetUp() override { startServer(); }
  void TearDown() override {
    m_client.reset();
    if (m_server) m_server->stop();
  }

  httplib::Result get(const std::string& resource,
                      const httplib::Headers& headers = signedHeaders()) {
    return m_client->Get((kService + resource).c_str(), headers);
  }
  httplib::Result post(const std::string& resource, const std::string& body,
                       const httplib::Headers& headers = signedHeaders()) {
    return m_client->Post((kService + resource).c_str(), headers, body,
                          "application/x-www-form-urlencoded");
  }

  std::string base() const { return m_server->baseUrl(); }

  std::unique_ptr<kvsim::Server> m_server;
  std::unique_ptr<httplib::Client> m_client;
  std::string m_caFile;  // set before startServer() for a TLS server
  int m_port = -1;
};

// Number of non-overlapping occurrences of `needle` in `text`.
inline int countOf(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++n;
  }
  return n;
}

// The text between "<data>" and "</data>", or "" when there is no data element.
inline std::string dataOf(const std::string& body) {
  size_t start = body.find("<data>");
  size_t end = body.rfind("</data>");
  if (start == std::string::npos || end == std::string::npos) return "";
  return body.substr(start + 6, end - start - 6);
}

}  // namespace kvsim_test
