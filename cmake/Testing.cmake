# kv_add_test_suite(<target> AREA <area> [LABEL <label>] [TIMEOUT <seconds>]
#                   SOURCES <files...> [LIBS <targets...>] [DEFINES <defs...>]
#                   [DEPENDS <targets...>] [INCLUDES <dirs...>] [HTTPLIB])
#
# One GoogleTest executable for an area's test files. Each test case becomes
# a CTest test named <area>.<Suite>.<Case>, so `ctest -R '^plugin\.'` selects
# an area, and runs in a process of its own: process-wide state (the HTTP
# executor, getopt, hooks) never leaks from one case into another.
#
# LABEL defaults to the area. A suite whose label contains "threads" is the
# only kind the ThreadSanitizer tree builds. Discovered tests carry one label
# only: discovery flattens a list into separate property words, so a test
# that belongs to two groups gets one label matched by both (`ctest -L` takes
# a regex), as "kvsim_threads" is by -L kvsim and -L threads.
#
# HTTPLIB: the suite's files use cpp-httplib (PkgConfig::HTTPLIB, with its
# TLS and compression definitions), which is then precompiled with
# GoogleTest and linked.
function(kv_add_test_suite target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "HTTPLIB" "AREA;LABEL;TIMEOUT"
    "SOURCES;LIBS;DEFINES;DEPENDS;INCLUDES")
  if(NOT arg_LABEL)
    set(arg_LABEL ${arg_AREA})
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 60)
  endif()
  if(KV_TSAN AND NOT arg_LABEL MATCHES "threads")
    return()
  endif()

  add_executable(${target} ${arg_SOURCES} ${PROJECT_SOURCE_DIR}/tests/common/TsanSuppressions.cpp
    ${PROJECT_SOURCE_DIR}/tests/common/TestTmpdir.cpp)
  target_link_libraries(${target} PRIVATE ${arg_LIBS} kv_test_common GTest::gtest_main
    Threads::Threads)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${arg_INCLUDES})
  target_compile_definitions(${target} PRIVATE ${arg_DEFINES})
  # Test code is compiled unoptimised with line tables in every tree: its
  # GoogleTest macros compile several times faster than at -O2 -g, and the
  # code under test keeps its tree's flags.
  target_compile_options(${target} PRIVATE -O0 -g1)
  # GoogleTest (and, where asked, cpp-httplib) is parsed once per tree, not
  # once per file: it is most of a test file's compile time.
  if(arg_HTTPLIB)
    kv_test_pch_owner(kv_test_pch_httplib <httplib.h>)
    target_link_libraries(${target} PRIVATE PkgConfig::HTTPLIB)
    target_precompile_headers(${target} REUSE_FROM kv_test_pch_httplib)
  else()
    kv_test_pch_owner(kv_test_pch)
    target_precompile_headers(${target} REUSE_FROM kv_test_pch)
  endif()
  if(arg_DEPENDS)
    add_dependencies(${target} ${arg_DEPENDS})
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${arg_AREA}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${arg_LABEL} TIMEOUT ${arg_TIMEOUT})
endfunction()

# kv_test_pch_owner(<owner> [<headers...>]): an object library that only
# compiles GoogleTest and the given headers into a precompiled header, for
# the suites to reuse. It has the suites' flags and usage requirements, as a
# precompiled header is only used by compiles that match it.
function(kv_test_pch_owner owner)
  if(TARGET ${owner})
    return()
  endif()
  set(anchor ${CMAKE_BINARY_DIR}/${owner}.cpp)
  file(CONFIGURE OUTPUT ${anchor} CONTENT "// Compiles the tests' precompiled header.\n")
  add_library(${owner} OBJECT ${anchor})
  target_link_libraries(${owner} PRIVATE GTest::gtest_main Threads::Threads kv_flags)
  if(ARGN MATCHES "httplib")
    target_link_libraries(${owner} PRIVATE PkgConfig::HTTPLIB)
  endif()
  # Compiled as the executables are (-fPIE, not a library's -fPIC).
  set_target_properties(${owner} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
  target_compile_options(${owner} PRIVATE -O0 -g1 -fPIE)
  target_precompile_headers(${owner} PRIVATE <gtest/gtest.h> ${ARGN})
endfunction()
