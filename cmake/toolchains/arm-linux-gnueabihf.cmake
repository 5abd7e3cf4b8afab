# 32-bit ARM Linux, hard-float EABI: the television that loads the plug-in.
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake -DKV_CROSS=ON
set(CMAKE_SYSTEM_PROCESSOR arm)
set(KV_TRIPLET arm-linux-gnueabihf)
set(KV_QEMU_NAME qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
