# The flags our own targets carry, as interface targets they link:
#   kv_warnings  -Wall -Wextra (and what a compiler needs on top)
#   kv_flags     kv_warnings plus the tree's sanitizers, if any
# Libraries link kv_flags PUBLIC, so whatever is built on them is compiled
# and linked the same way. fesim's preload links kv_warnings only: it sits in
# front of a sanitized program's runtime. Third-party code built in a tree
# (GoogleTest from source) gets neither.
if(KV_SANITIZE AND KV_TSAN)
  message(FATAL_ERROR "KV_SANITIZE and KV_TSAN cannot be combined")
endif()

add_library(kv_warnings INTERFACE)
target_compile_options(kv_warnings INTERFACE -Wall -Wextra
  # clang warns about padding fields of the host ABI that gcc does not see.
  $<$<COMPILE_LANG_AND_ID:CXX,Clang>:-Wno-unused-private-field>)

if(KV_SANITIZE)
  set(KV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
elseif(KV_TSAN)
  set(KV_SAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
endif()

add_library(kv_flags INTERFACE)
target_link_libraries(kv_flags INTERFACE kv_warnings)
if(KV_SAN_FLAGS)
  target_compile_options(kv_flags INTERFACE ${KV_SAN_FLAGS})
  target_link_options(kv_flags INTERFACE ${KV_SAN_FLAGS})
  # -O1 with line tables, as the sanitizers' authors advise: reports keep
  # their file:line frames, and -O1 compiles in under half the time of
  # -O2 -g (ASan instruments far less inlined code).
  foreach(lang C CXX)
    set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "-O1 -g1 -DNDEBUG")
  endforeach()
endif()
