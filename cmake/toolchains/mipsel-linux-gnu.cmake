# 32-bit little-endian MIPS Linux: the same set-top box family, other byte order.
#   cmake --preset mipsel   (CMakePresets.json)
set(CMAKE_SYSTEM_PROCESSOR mipsel)
set(KV_TRIPLET mipsel-linux-gnu)
set(KV_QEMU_NAME qemu-mipsel)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
