// ThreadSanitizer's suppressions for every test executable. The loopback
// servers' library (cpp-httplib, a system package) is not instrumented, so
// the tool cannot see its internal locking between its worker threads; its
// reports are about the test servers, not about the code under test.
extern "C" const char* __tsan_default_suppressions() {
  return "race:libcpp-httplib.so\n";
}
