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
    server_ = std::make_unique<kvsim::Server>(std::move(config));
    std::string error;
    port_ = server_->start(0, error);
    ASSERT_GT(port_, 0) << error;
    // Plain or https as the server serves; https trusts only `caFile_`.
    client_ = std::make_unique<httplib::Client>(server_->baseUrl());
    if (!caFile_.empty()) client_->set_ca_cert_path(caFile_.c_str());
    client_->set_connection_timeout(5);
    client_->set_read_timeout(10);
    client_->set_url_encode(false);  // send queries byte for byte, as the plug-in does
  }
  void SetUp() override { startServer(); }
  void TearDown() override {
    client_.reset();
    if (server_) server_->stop();
  }

  httplib::Result get(const std::string& resource,
                      const httplib::Headers& headers = signedHeaders()) {
    return client_->Get((kService + resource).c_str(), headers);
  }
  httplib::Result post(const std::string& resource, const std::string& body,
                       const httplib::Headers& headers = signedHeaders()) {
    return client_->Post((kService + resource).c_str(), headers, body,
                         "application/x-www-form-urlencoded");
  }

  std::string base() const { return server_->baseUrl(); }

  std::unique_ptr<kvsim::Server> server_;
  std::unique_ptr<httplib::Client> client_;
  std::string caFile_;  // set before startServer() for a TLS server
  int port_ = -1;
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
