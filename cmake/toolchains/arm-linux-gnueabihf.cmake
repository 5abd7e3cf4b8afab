# 32-bit ARM Linux, hard-float EABI: the television that loads the plug-in.
#   cmake --preset armhf   (CMakePresets.json)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(KV_TRIPLET arm-linux-gnueabihf)
set(KV_QEMU_NAME qemu-arm)
# The programs run with the loader and libraries of the armhf multiarch
# packages (libc6:armhf): the loader in /usr/arm-linux-gnueabihf comes from
# libc6-armhf-cross, a different glibc build, and mixing the two crashes in
# pthread_create.
set(KV_QEMU_PREFIX /)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

# Large-file interfaces: downloads go to files that may pass 2 GiB, and a
# 64-bit kernel's ext4 gives directory offsets that a 32-bit readdir cannot
# hold. No interface of libW or the plug-in carries off_t.
set(CMAKE_C_FLAGS_INIT -D_FILE_OFFSET_BITS=64)
# -Wno-psabi: GCC notes that the ARM calling convention for some std::vector
# members changed in GCC 7.1; everything here is built by one compiler.
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64 -Wno-psabi")
