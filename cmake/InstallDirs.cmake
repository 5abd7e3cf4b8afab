# Where an installed tree keeps its files (GNUInstallDirs; the presets install
# to /usr, which makes the library directory lib/<multiarch triplet>), and
# the header that tells the programs about it and about the release.
include(GNUInstallDirs)

# A STRING, not a PATH: CMake would make a relative -DKV_PLUGIN_DIR=... given
# on the command line absolute, against the current directory.
set(KV_PLUGIN_DIR "${CMAKE_INSTALL_LIBDIR}/kinvale/plugins" CACHE STRING
  "Plug-in directory: relative to the prefix, or absolute (e.g. the host framework's own)")
# libW and the fesim preload: libraries of our own programs, not for others
# to link, so in a directory of their own that the programs find by RUNPATH.
set(KV_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/kinvale")

# kv_path_from_bindir(<var> <dir>): <dir> (relative to the prefix, or
# absolute) as the installed programs reach it: relative to the directory
# they are installed in, so that an installed tree runs wherever it is
# unpacked; an absolute <dir> stays absolute.
function(kv_path_from_bindir var dir)
  if(IS_ABSOLUTE "${dir}")
    set(${var} "${dir}" PARENT_SCOPE)
  else()
    file(RELATIVE_PATH rel "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_PREFIX}/${dir}")
    set(${var} "${rel}" PARENT_SCOPE)
  endif()
endfunction()

kv_path_from_bindir(KV_PLUGIN_DIR_FROM_BIN "${KV_PLUGIN_DIR}")
kv_path_from_bindir(KV_PRIVATE_LIBDIR_FROM_BIN "${KV_PRIVATE_LIBDIR}")

# KvBuildInfo.h: the version and the installed plug-in directory, for the
# programs that print or use them (a header, so that only its includers
# recompile when they change).
configure_file(${CMAKE_CURRENT_LIST_DIR}/KvBuildInfo.h.in
  ${CMAKE_BINARY_DIR}/generated/KvBuildInfo.h @ONLY)
add_library(kv_build_info INTERFACE)
target_include_directories(kv_build_info INTERFACE ${CMAKE_BINARY_DIR}/generated)
