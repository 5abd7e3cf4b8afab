# 32-bit big-endian MIPS Linux: the set-top box that runs feprobe.
#   cmake -S . -B build-mips -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mips-linux-gnu.cmake -DKV_CROSS=ON -DKV_PROBE_ONLY=ON
set(CMAKE_SYSTEM_PROCESSOR mips)
set(KV_TRIPLET mips-linux-gnu)
set(KV_QEMU_NAME qemu-mips)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
