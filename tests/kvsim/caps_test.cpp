// kvsim's limits: request bodies over the cap or of unknown length are
// refused before they are read, and paging values outside 0..4294967295 are
// refused with 400.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "KvsimTestSupport.h"

namespace kvsim_test {
namespace {

// Sends `head` on a new connection and returns everything the server sends
// until it closes (empty after ten seconds of silence).
std::string rawExchange(int port, const std::string& head) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      send(fd, head.data(), head.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(head.size())) {
    pollfd p{fd, POLLIN, 0};
    char buffer[4096];
    ssize_t n = 0;
    while (poll(&p, 1, 10000) == 1 && (n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
      answer.append(buffer, static_cast<size_t>(n));
    }
    if (n != 0) answer += "<no close>";
  }
  close(fd);
  return answer;
}

class BodyCapTest : public ServerFixture {
 protected:
  void SetUp() override {
    kvsim::ServerConfig config;
    config.maxBodyBytes = 1000;
    startServer(std::move(config));
  }
};

TEST_F(BodyCapTest, OversizedOrUnmeasuredBodiesAreRefusedUnreadAndTheConnectionCloses) {
  // Only the head is sent: an answer proves the body was never waited for.
  const std::string auth = "POST " + kService + "auth HTTP/1.1\r\nHost: kv\r\n";
  struct Row {
    std::string head;
    std::string answerStart;
    std::string body;
    std::string logged;
  } rows[] = {
      {auth + "Content-Length: 1001\r\n\r\n", "HTTP/1.1 413 Payload Too Large\r\n",
       "request body over 1000 bytes\n", "body=1001 code=413"},
      {auth + "Content-Length: 419430400\r\nExpect: 100-continue\r\n\r\n",
       "HTTP/1.1 413 Payload Too Large\r\n", "request body over 1000 bytes\n",
       "body=419430400 code=413"},
      {"POST /upload/c1001 HTTP/1.1\r\nHost: kv\r\nContent-Length: 99999999999999999999\r\n\r\n",
       "HTTP/1.1 413 ", "request body over 1000 bytes\n", "body=18446744073709551615 code=413"},
      {auth + "Transfer-Encoding: chunked\r\n\r\n", "HTTP/1.1 411 Length Required\r\n",
       "a request body needs a Content-Length\n", "body=0 code=411"},
      {auth + "\r\n", "HTTP/1.1 411 Length Required\r\n", "a request body needs a Content-Length\n",
       "body=0 code=411"},
  };
  for (const Row& r : rows) {
    const std::string answer = rawExchange(m_port, r.head);
    EXPECT_EQ(answer.rfind(r.answerStart, 0), 0u) << r.head << answer;
    EXPECT_EQ(answer.substr(answer.find("\r\n\r\n") + 4), r.body) << r.head;
    EXPECT_NE(m_server->log().text().find(r.logged), std::string::npos) << r.head;
  }
  // A body at the cap is read and answered.
  auto res = post("c1001/comment", "commentText=" + std::string(988, 'a'));
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
}

using PagingTest = ServerFixture;

TEST_F(PagingTest, ValuesOutsideUint32AreRefusedWith400) {
  const std::string lists[] = {"me/group.list?", "g1/feeds?&search_before=0&",
                               "c1001/comment.list?"};
  const std::string rows[] = {
      "search_index=-1",
      "search_index=x",
      "search_index=4294967296",
      "search_index=+1",
      "search_index=%201",
      "search_index=",
      "search_count=-1",
      "search_count=1e3",
      "search_count=0x10",
      "search_count=99999999999999999999",
      "search_count=18446744073709551617",
  };
  for (const std::string& list : lists) {
    for (const std::string& query : rows) {
      auto res = get(list + query);
      ASSERT_TRUE(res) << list << query;
      EXPECT_EQ(res->status, 400) << list << query;
      EXPECT_EQ(res->body, "Error=105\nDescription=bad " + query.substr(0, query.find('=')) + "\n")
          << list << query;
    }
    // The largest values are ordinary pages.
    auto res = get(list + "search_index=4294967295&search_count=4294967295");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200) << list << res->body;
  }
}

}  // namespace
}  // namespace kvsim_test
