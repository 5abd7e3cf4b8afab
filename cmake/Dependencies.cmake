# Third-party libraries, all from Debian packages (scripts/setup installs them).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

if(NOT KV_PROBE_ONLY)
  pkg_check_modules(LIBXMLXX REQUIRED IMPORTED_TARGET libxml++-2.6)
  pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
endif()

if(KV_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
