# Sanitizer builds: one tree with ASan+UBSan, another with TSan.
if(KV_SANITIZE AND KV_TSAN)
  message(FATAL_ERROR "KV_SANITIZE and KV_TSAN cannot be combined")
endif()

if(KV_SANITIZE)
  set(KV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${KV_SAN_FLAGS})
  add_link_options(${KV_SAN_FLAGS})
endif()

if(KV_TSAN)
  set(KV_SAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${KV_SAN_FLAGS})
  add_link_options(${KV_SAN_FLAGS})
endif()
