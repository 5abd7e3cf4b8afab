// The kvsim executable: its first output line, flags, exit codes and stopping
// by signal or by --exit-after.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "KvsimTestSupport.h"

namespace kvsim_test {
namespace {

// A running kvsim child with its stdout as a pipe.
struct Child {
  pid_t pid = -1;
  FILE* out = nullptr;
};

Child spawn(std::vector<std::string> args) {
  int fds[2];
  Child child;
  if (pipe(fds) != 0) return child;
  child.pid = fork();
  if (child.pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    dup2(fds[1], STDERR_FILENO);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(KVSIM_BINARY));
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    execv(KVSIM_BINARY, argv.data());
    _exit(127);
  }
  close(fds[1]);
  child.out = fdopen(fds[0], "r");
  return child;
}

std::string readLine(FILE* f) {
  char buffer[512];
  if (fgets(buffer, sizeof buffer, f) == nullptr) return "";
  return buffer;
}

std::string readAll(FILE* f) {
  std::string text;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  return text;
}

// Waits up to `seconds` for the child; returns its exit status or -1 (then kills it).
int waitExit(pid_t pid, int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    usleep(20000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST(Binary, AnnouncesItsPortServesAndStopsOnSigterm) {
  Child child = spawn({"--port", "0", "--exit-after", "30"});
  ASSERT_GT(child.pid, 0);
  std::string first = readLine(child.out);
  ASSERT_EQ(first.rfind("listening on http://127.0.0.1:", 0), 0u) << first;
  int port = std::stoi(first.substr(first.rfind(':') + 1));
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(5);
  auto res = client.Post((kService + "auth").c_str(), signedHeaders(), "", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  kill(child.pid, SIGTERM);
  EXPECT_EQ(waitExit(child.pid, 10), 0);
  EXPECT_EQ(readAll(child.out), "kvsim stopped\n");
  fclose(child.out);
}

TEST(Binary, ExitAfterStopsByItself) {
  auto start = std::chrono::steady_clock::now();
  Child child = spawn({"--port", "0", "--empty", "--exit-after", "1"});
  ASSERT_GT(child.pid, 0);
  EXPECT_EQ(readLine(child.out).rfind("listening on ", 0), 0u);
  EXPECT_EQ(waitExit(child.pid, 10), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  fclose(child.out);
}

TEST(Binary, UsageErrorsExitWithTwoAndHelpWithZero) {
  struct Row {
    std::vector<std::string> args;
    int status;
    const char* text;
  } rows[] = {
      {{"--frobnicate"}, 2, "kvsim: unknown option --frobnicate"},
      {{"--port"}, 2, "kvsim: --port needs a value"},
      {{"--help"}, 0, "usage: kvsim"},
  };
  for (Row& r : rows) {
    Child child = spawn(r.args);
    ASSERT_GT(child.pid, 0);
    std::string text = readAll(child.out);
    EXPECT_EQ(waitExit(child.pid, 10), r.status) << r.args[0];
    EXPECT_EQ(text.rfind(r.text, 0), 0u) << text;
    fclose(child.out);
  }
}

}  // namespace
}  // namespace kvsim_test
