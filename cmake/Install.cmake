# What `cmake --install` puts where, by package (component):
#   kinvale-oai    the plug-in, in KV_PLUGIN_DIR
#   kinvale-tools  libW and its headers, kvhost, kvsim, fesim (libfesim.so
#                  and fesim-run)
#   feprobe        feprobe
# Each with its copyright and changelog (cmake/Packaging.cmake). The
# programs reach their libraries relative to where they are installed
# ($ORIGIN), so an installed tree runs wherever it is unpacked. kvsim and
# fesim stand in for the service and the hardware on the build machine: a
# cross tree installs neither.
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)

set(KV_PACKAGES)

if(TARGET kinvale-oai)
  # No RUNPATH: libW is the host's, loaded before any plug-in.
  install(TARGETS kinvale-oai LIBRARY DESTINATION ${KV_PLUGIN_DIR} COMPONENT kinvale-oai)
  list(APPEND KV_PACKAGES kinvale-oai)
endif()

if(TARGET W)
  install(TARGETS W LIBRARY DESTINATION ${KV_PRIVATE_LIBDIR} COMPONENT kinvale-tools)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/host/include/W
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT kinvale-tools)
  list(APPEND KV_PACKAGES kinvale-tools)
endif()

if(TARGET kvhost)
  set_target_properties(kvhost PROPERTIES INSTALL_RPATH "$ORIGIN/${KV_PRIVATE_LIBDIR_FROM_BIN}")
  install(TARGETS kvhost RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT kinvale-tools)
  kv_man_page(kvhost 1 kinvale-tools "command-line host for the Kinvale content-provider plug-in"
    TARGET kvhost)
endif()

if(TARGET kvsim AND NOT CMAKE_CROSSCOMPILING)
  install(TARGETS kvsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT kinvale-tools)
  kv_man_page(kvsim 1 kinvale-tools "local emulator of the Kinvale family-sharing service"
    TARGET kvsim)
endif()

if(TARGET fesim AND NOT CMAKE_CROSSCOMPILING)
  install(TARGETS fesim LIBRARY DESTINATION ${KV_PRIVATE_LIBDIR} COMPONENT kinvale-tools)
  # The installed runner names the installed library directory.
  file(READ ${PROJECT_SOURCE_DIR}/sim/fesim/fesim-run runner)
  string(REGEX REPLACE "\nlib_from_here=[^\n]*\n" "\nlib_from_here=${KV_PRIVATE_LIBDIR_FROM_BIN}\n"
    installed_runner "${runner}")
  if(installed_runner STREQUAL runner)
    message(FATAL_ERROR "sim/fesim/fesim-run has no lib_from_here= line to point at ${KV_PRIVATE_LIBDIR}")
  endif()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/install/fesim-run CONTENT "${installed_runner}")
  install(PROGRAMS ${CMAKE_BINARY_DIR}/install/fesim-run DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT kinvale-tools)
  kv_man_page(fesim-run 1 kinvale-tools "run a program against the simulated DVB-T front-end"
    SCRIPT_TARGET fesim-run VERSION_STRING ${PROJECT_VERSION})
  list(APPEND KV_PACKAGES kinvale-tools)
endif()

if(TARGET feprobe)
  # An administrator's tool: it needs the i2c-dev nodes and /dev/mem.
  install(TARGETS feprobe RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT feprobe)
  kv_man_page(feprobe 8 feprobe "diagnose a TDA10046 DVB-T front-end over i2c-dev"
    TARGET feprobe VERSION_STRING ${PROJECT_VERSION})
  list(APPEND KV_PACKAGES feprobe)
endif()

list(REMOVE_DUPLICATES KV_PACKAGES)
