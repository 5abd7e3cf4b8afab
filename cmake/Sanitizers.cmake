# Sanitizer builds: one tree with ASan+UBSan, another with TSan.
if(KV_SANITIZE AND KV_TSAN)
  message(FATAL_ERROR "KV_SANITIZE and KV_TSAN cannot be combined")
endif()

if(KV_SANITIZE)
  set(KV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
elseif(KV_TSAN)
  set(KV_SAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
endif()

if(KV_SAN_FLAGS)
  add_compile_options(${KV_SAN_FLAGS})
  add_link_options(${KV_SAN_FLAGS})
  # -O1 with line tables, as the sanitizers' authors advise: reports keep
  # their file:line frames, and -O1 compiles in under half the time of
  # -O2 -g (ASan instruments far less inlined code).
  foreach(lang C CXX)
    set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "-O1 -g1 -DNDEBUG")
  endforeach()
endif()
