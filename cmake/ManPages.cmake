# Manual pages made from the programs' own --help (and --version) by
# help2man, so that they say what the built program says. Cross trees run the
# program under their emulator. Sanitizer trees make none: a sanitizer's
# report at exit would fail the build for a page nobody installs from there.
find_program(KV_HELP2MAN help2man)
find_program(KV_GZIP gzip)
if(KV_SAN_FLAGS)
  set(KV_MAN_PAGES OFF)
elseif(NOT KV_HELP2MAN OR NOT KV_GZIP)
  message(STATUS "help2man or gzip not found: manual pages left out")
  set(KV_MAN_PAGES OFF)
else()
  set(KV_MAN_PAGES ON)
endif()

# kv_man_page(<program> <section> <component> <what it is>
#             [TARGET <target> | SCRIPT_TARGET <target>]
#             [VERSION_STRING <version>])
# <program>.<section>.gz from `<program> --help`, installed with <component>.
# TARGET is the executable target, when the program is one; otherwise
# <program> is the build tree's bin/<program>, a script that SCRIPT_TARGET
# puts there. VERSION_STRING is
# for programs without --version. help2man calls the program by a wrapper of
# the program's name, so that a usage text made from argv[0] reads well.
function(kv_man_page program section component what)
  cmake_parse_arguments(PARSE_ARGV 4 arg "" "TARGET;SCRIPT_TARGET;VERSION_STRING" "")
  if(NOT KV_MAN_PAGES)
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/man)
  if(arg_TARGET)
    set(binary $<TARGET_FILE:${arg_TARGET}>)
    set(depends ${arg_TARGET})
    if(CMAKE_CROSSCOMPILING_EMULATOR)
      # qemu-user's -0 sets the program's argv[0].
      list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " emulator)
      set(run "${emulator} -0 ${program} ${binary}")
    else()
      set(run "-a ${program} ${binary}")
    endif()
  else()
    set(run "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${program}")
    set(depends ${arg_SCRIPT_TARGET} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${program})
  endif()
  file(GENERATE OUTPUT ${dir}/run/${program} CONTENT "#!/bin/bash\nexec ${run} \"$@\"\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
      WORLD_READ WORLD_EXECUTE)
  set(version_args)
  if(arg_VERSION_STRING)
    set(version_args --version-string=${arg_VERSION_STRING})
  endif()
  set(page ${dir}/${program}.${section})
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${KV_HELP2MAN} --no-info --section=${section} --name=${what} ${version_args}
      --output=${page} ${dir}/run/${program}
    COMMAND ${KV_GZIP} -9nf ${page}
    DEPENDS ${depends}
    COMMENT "Manual page ${program}(${section})"
    VERBATIM)
  add_custom_target(man_${program} ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
    COMPONENT ${component})
endfunction()
