# kv_add_test_suite(<target> AREA <area> [LABEL <label>] [TIMEOUT <seconds>]
#                   SOURCES <files...> [LIBS <targets...>] [DEFINES <defs...>]
#                   [DEPENDS <targets...>] [INCLUDES <dirs...>])
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
function(kv_add_test_suite target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "AREA;LABEL;TIMEOUT"
    "SOURCES;LIBS;DEFINES;DEPENDS;INCLUDES;PCH")
  if(NOT arg_LABEL)
    set(arg_LABEL ${arg_AREA})
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 60)
  endif()
  if(KV_TSAN AND NOT arg_LABEL MATCHES "threads")
    return()
  endif()

  add_executable(${target} ${arg_SOURCES} ${PROJECT_SOURCE_DIR}/tests/common/TsanSuppressions.cpp)
  target_link_libraries(${target} PRIVATE ${arg_LIBS} kv_test_common GTest::gtest_main
    Threads::Threads)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${arg_INCLUDES})
  target_compile_definitions(${target} PRIVATE ${arg_DEFINES})
  # Test code itself is compiled unoptimised with line tables in every tree:
  # GoogleTest's macros made most of the build's time at -O2 -g, and the code
  # under test keeps its tree's flags.
  target_compile_options(${target} PRIVATE -O0 -g1)
  # GoogleTest (and, where asked, cpp-httplib) parsed once per executable
  # instead of once per file: most of a test file's compile time.
  target_precompile_headers(${target} PRIVATE <gtest/gtest.h> ${arg_PCH})
  if(arg_DEPENDS)
    add_dependencies(${target} ${arg_DEPENDS})
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${arg_AREA}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${arg_LABEL} TIMEOUT ${arg_TIMEOUT})
endfunction()
