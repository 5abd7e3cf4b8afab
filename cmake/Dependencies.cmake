# Third-party libraries, all from Debian packages (scripts/setup installs them).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

if(KV_PART_PLUGIN)
  pkg_check_modules(LIBXMLXX REQUIRED IMPORTED_TARGET libxml++-2.6)
  pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
endif()

# cpp-httplib (header-only): kvsim, the benchmarks' servers and the loopback
# servers of the plug-in's and libW's tests. PkgConfig::HTTPLIB carries its
# compile definitions (TLS, compression).
if(KV_PART_TOOLS OR KV_PART_BENCH OR (KV_BUILD_TESTS AND KV_PART_PLUGIN))
  pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET GLOBAL cpp-httplib)
endif()

if(KV_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    find_package(GTest QUIET)
  else()
    find_package(GTest REQUIRED)
  endif()
  if(NOT GTest_FOUND)
    # No target package (MIPS): GoogleTest from its Debian sources, built by
    # the cross compiler.
    include(cmake/toolchains/googletest-source.cmake)
  endif()
  include(GoogleTest)
endif()
