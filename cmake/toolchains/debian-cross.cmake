# Shared part of the toolchain files: Debian's cross compilers for KV_TRIPLET,
# target libraries from the armhf multiarch packages (or nothing but the C
# library for MIPS), and test binaries run under qemu-user with the target's
# loader and libraries taken from KV_QEMU_PREFIX (default /usr/<triplet>).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${KV_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KV_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${KV_TRIPLET})
# Installed as Debian installs a target's libraries (GNUInstallDirs gives
# the multiarch directory to native trees only).
set(CMAKE_INSTALL_LIBDIR lib/${KV_TRIPLET} CACHE PATH "Object code libraries (lib/<triplet>)")

# The static emulator: a dynamic one would itself honour LD_PRELOAD, which the
# fesim shim sets for the emulated program.
find_program(KV_QEMU NAMES ${KV_QEMU_NAME}-static ${KV_QEMU_NAME} REQUIRED)
if(NOT DEFINED KV_QEMU_PREFIX)
  set(KV_QEMU_PREFIX /usr/${KV_TRIPLET})
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${KV_QEMU} -L ${KV_QEMU_PREFIX})

# Target libraries live in /usr/lib/<triplet> (multiarch) and /usr/<triplet>;
# tools such as pkg-config and the shells of the build are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${KV_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# pkg-config sees only the target's .pc files, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${KV_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
