# 32-bit little-endian MIPS Linux: the same set-top box family, other byte order.
#   cmake -S . -B build-mipsel -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mipsel-linux-gnu.cmake -DKV_CROSS=ON -DKV_PROBE_ONLY=ON
set(CMAKE_SYSTEM_PROCESSOR mipsel)
set(KV_TRIPLET mipsel-linux-gnu)
set(KV_QEMU_NAME qemu-mipsel)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
