# 32-bit big-endian MIPS Linux: the set-top box that runs feprobe.
#   cmake --preset mips   (CMakePresets.json)
set(CMAKE_SYSTEM_PROCESSOR mips)
set(KV_TRIPLET mips-linux-gnu)
set(KV_QEMU_NAME qemu-mips)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
