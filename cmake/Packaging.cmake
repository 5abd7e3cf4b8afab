# Debian packages of what cmake/Install.cmake installs, one per component,
# made by CPack's DEB generator: `cpack` in a tree writes them to
# <tree>/packages (scripts/package does it for each target). Each has the
# tree's architecture, Depends from dpkg-shlibdeps, a copyright file and the
# changelog.

# The changelog's newest entry must be this release.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog kv_changelog_head LIMIT_COUNT 1)
if(NOT kv_changelog_head MATCHES "^kinvale \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not ${PROJECT_VERSION} "
    "but '${kv_changelog_head}'")
endif()

find_program(KV_DPKG_ARCHITECTURE dpkg-architecture)
if(NOT KV_PACKAGES OR NOT KV_DPKG_ARCHITECTURE OR NOT KV_GZIP)
  message(STATUS "dpkg-architecture or gzip not found, or nothing to install: no packages")
  return()
endif()

# Debian's name for the tree's target (amd64, armhf, mips, mipsel).
execute_process(COMMAND ${KV_DPKG_ARCHITECTURE} -t ${CMAKE_LIBRARY_ARCHITECTURE} -q DEB_HOST_ARCH
  OUTPUT_VARIABLE KV_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
  RESULT_VARIABLE kv_arch_status)
if(NOT kv_arch_status EQUAL 0 OR NOT KV_DEB_ARCH)
  message(FATAL_ERROR "dpkg-architecture knows no architecture for ${CMAKE_LIBRARY_ARCHITECTURE}")
endif()

set(KV_PLUGIN_HOST_DEPENDS "kinvale-tools (= ${PROJECT_VERSION})" CACHE STRING
  "The package that gives the plug-in the host's libW (kinvale-oai's Depends)")

# Debian keeps changelogs compressed at the highest level, without a
# timestamp.
set(kv_doc ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${kv_doc}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${kv_doc}/changelog
  COMMAND ${KV_GZIP} -9nf ${kv_doc}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(kv_changelog ALL DEPENDS ${kv_doc}/changelog.gz)

foreach(package ${KV_PACKAGES})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${kv_doc}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${package})
  string(TOUPPER ${package} name)
  set(CPACK_DEBIAN_${name}_PACKAGE_NAME ${package})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kinvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${KV_PACKAGES})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KV_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
  "Kinvale maintainers <maintainers@users.noreply.c-seed-c08deb51.example>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_KINVALE-OAI_PACKAGE_SECTION net)
set(CPACK_DEBIAN_KINVALE-OAI_PACKAGE_DEPENDS "${KV_PLUGIN_HOST_DEPENDS}")
set(CPACK_COMPONENT_KINVALE-OAI_DESCRIPTION
  "Kinvale family-sharing content provider for the TV media framework
The plug-in a television's media framework loads to reach the Kinvale
family-sharing service: device registration and authentication, groups and
their feeds, contents and comments, uploads and media downloads, each as an
asynchronous operation that reports through the host's callbacks.")

set(CPACK_DEBIAN_KINVALE-TOOLS_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_KINVALE-TOOLS_DESCRIPTION
  "host library, command-line host and simulators for Kinvale
Tools to run and test the kinvale-oai plug-in and feprobe away from the
television and the set-top box:
 - libW, an implementation of the host framework's interfaces, and its
   headers;
 - kvhost, which loads the plug-in and runs one of its operations;
 - kvsim, a local emulator of the Kinvale service;
 - fesim, a simulated DVB-T front-end that feprobe runs against.")

set(CPACK_DEBIAN_FEPROBE_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_FEPROBE_DESCRIPTION
  "diagnostic for the TDA10046 DVB-T front-end of a set-top box
Drives the DVB-T front-end of an RB4160 set-top box directly over Linux
i2c-dev: resets it through the front processor, wakes up, initialises or
puts to sleep the TDA10046 demodulator, tunes single frequencies and scans
frequency bands, printing one line per channel.")

# dpkg-shlibdeps looks for a cross tree's libraries under the target's
# multiarch directories; without the target's own C library (no multiarch
# port, as for MIPS) it looks in the cross toolchain's.
set(KV_TOOLCHAIN_LIBC OFF)
set(kv_triplet ${CMAKE_LIBRARY_ARCHITECTURE})
if(CMAKE_CROSSCOMPILING AND NOT EXISTS /usr/lib/${kv_triplet}/libc.so.6
   AND NOT EXISTS /lib/${kv_triplet}/libc.so.6 AND EXISTS /usr/${kv_triplet}/lib/libc.so.6)
  set(KV_TOOLCHAIN_LIBC ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS /usr/${kv_triplet}/lib)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackProject.cmake.in
  ${CMAKE_BINARY_DIR}/CPackProject.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProject.cmake)

include(CPack)
