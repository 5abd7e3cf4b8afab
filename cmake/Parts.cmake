# The parts of the system a tree builds: the one way to leave parts out.
# KV_PARTS lists them (CMakePresets.json sets it for each tree we use):
#   plugin  libW, the plug-in and their tests
#   probe   feprobe, the fesim shim and their tests
#   tools   kvsim and kvhost, their tests and the suites that drive them as
#           processes (end-to-end, stress); they need the plugin part
#   bench   the benchmarks
#   fuzz    each fuzz target's seeds run as a regression test
set(KV_ALL_PARTS plugin probe tools bench fuzz)
set(KV_PARTS "${KV_ALL_PARTS}" CACHE STRING "Parts to build (${KV_ALL_PARTS})")

foreach(part ${KV_PARTS})
  if(NOT part IN_LIST KV_ALL_PARTS)
    message(FATAL_ERROR "KV_PARTS: unknown part '${part}' (parts: ${KV_ALL_PARTS})")
  endif()
endforeach()
if("tools" IN_LIST KV_PARTS AND NOT "plugin" IN_LIST KV_PARTS)
  message(FATAL_ERROR "KV_PARTS: the tools part needs the plugin part")
endif()

# KV_PART_PLUGIN, KV_PART_PROBE, ...: ON when this tree builds that part.
foreach(part ${KV_ALL_PARTS})
  string(TOUPPER ${part} name)
  if(part IN_LIST KV_PARTS)
    set(KV_PART_${name} ON)
  else()
    set(KV_PART_${name} OFF)
  endif()
endforeach()
