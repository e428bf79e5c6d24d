# Checks who may include whom: run with -DROOT=<source tree>. Fails, naming
# every breach grouped by rule, when a file includes a header its layer may
# not know.
#
# Layers, lowest first: platform/; cpu/; the chips; machines/ and computers/;
# peripherals/; core/ and the host-side subsystems; debugger/ and assembler/;
# gui/, commands/, inspect/, devicewindows/, app/ on top. A file may always
# include its own header.

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P check_layers.cmake")
endif()

# The folders scanned: every folder that some rule below covers.
set(SCANNED platform cpu core machines computers display sound record input peripherals
    debugger assembler)

# One rule per call: the files it covers (FILES, a regex on the path from the
# root) less the ones it spares (SPARE), and the headers they may not include
# (FORBID) less the ones they may (ALLOW). An include breaks the first rule it
# matches; the rules are listed and reported in this order.
set(RULES "")
macro(layer_rule name)
  cmake_parse_arguments(rule_${name} "" "FILES;SPARE;FORBID;ALLOW;WHY" "" ${ARGN})
  list(APPEND RULES ${name})
endmacro()

layer_rule(platform FILES "^platform/" FORBID "." ALLOW "^platform/"
  WHY "platform/ includes nothing above it")
layer_rule(cpu FILES "^cpu/" FORBID "."
  ALLOW "^(cpu/.*|core/types\\.h|core/message\\.h|platform/catalog\\.h)$"
  WHY "cpu/ includes only cpu/, core/types.h, core/message.h and platform/catalog.h")
layer_rule(chip FILES "^machines/(pvi2636|uvi2637|ay8910|saa5050|fd1771)\\.(h|cpp)$"
  FORBID "." ALLOW "^(cpu/.*|core/types\\.h)$"
  WHY "a chip knows no machine: it includes only its own header, core/types.h and cpu/")
layer_rule(machine FILES "^(machines|computers)/" FORBID "^platform/"
  ALLOW "^platform/catalog\\.h$"
  WHY "machines reach the host only through the framework")
layer_rule(device FILES "^peripherals/" FORBID "^(machines|computers)/"
  WHY "a device knows no machine: the machine hands it what it needs")
layer_rule(registry FILES "^core/" SPARE "^core/machine_registry\\.cpp$"
  FORBID "^(machines|computers)/"
  WHY "core/ reaches the machines only through the registry's rows")
layer_rule(hooks FILES "^core/" FORBID "^(display|input|sound)/"
  WHY "core/ includes nothing from display/, input/, sound/: they hook in through its registries")
layer_rule(tools
  FILES "^(core|cpu|machines|computers|display|sound|input|peripherals)/"
  SPARE "^core/machine_registry\\.cpp$" FORBID "^(debugger|assembler)/"
  WHY "below debugger/ and assembler/, only the registry's debug rows include them")
layer_rule(top FILES "^[^/]+/" FORBID "^(gui|commands|inspect|devicewindows|app)/"
  WHY "nothing below the interface includes gui/, commands/, inspect/, devicewindows/, app/")

# Known exceptions: includes that break a rule today and are still to be moved
# out, as "file: header header...". Any other such include is a breach, and an
# exception that the file no longer needs must leave this list.
set(KNOWN
  "core/savestate.cpp: input/paddles.h")
# They are this source tree's own: the sample trees get none.
file(REAL_PATH "${ROOT}" root)
file(REAL_PATH "${CMAKE_CURRENT_LIST_DIR}/../.." home)
if(NOT root STREQUAL home)
  set(KNOWN "")
endif()
set(known_pairs "")
foreach(entry IN LISTS KNOWN)
  string(REPLACE ":" "" entry "${entry}")
  separate_arguments(headers UNIX_COMMAND "${entry}")
  list(POP_FRONT headers file)
  foreach(header IN LISTS headers)
    list(APPEND known_pairs "${file} ${header}")
  endforeach()
endforeach()

# Returns in `out` the first rule that including `header` from `rel` breaks.
function(broken_rule rel header out)
  set(${out} "" PARENT_SCOPE)
  string(REGEX REPLACE "\\.[^./]+$" ".h" own "${rel}")
  if(header STREQUAL own)
    return()
  endif()
  foreach(name IN LISTS RULES)
    if(rel MATCHES "${rule_${name}_FILES}" AND header MATCHES "${rule_${name}_FORBID}"
       AND NOT (rule_${name}_SPARE AND rel MATCHES "${rule_${name}_SPARE}")
       AND NOT (rule_${name}_ALLOW AND header MATCHES "${rule_${name}_ALLOW}"))
      set(${out} ${name} PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(used_pairs "")
foreach(dir IN LISTS SCANNED)
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${dir}/*.h" "${ROOT}/${dir}/*.cpp")
  foreach(rel IN LISTS sources)
    file(STRINGS "${ROOT}/${rel}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
      broken_rule("${rel}" "${header}" rule)
      if(NOT rule)
        continue()
      endif()
      if("${rel} ${header}" IN_LIST known_pairs)
        list(APPEND used_pairs "${rel} ${header}")
      else()
        list(APPEND breaches_${rule} "${rel}: #include \"${header}\"")
      endif()
    endforeach()
  endforeach()
endforeach()

set(report "")
foreach(name IN LISTS RULES)
  if(breaches_${name})
    list(JOIN breaches_${name} "\n  " lines)
    string(APPEND report "${name} (${rule_${name}_WHY}):\n  ${lines}\n")
  endif()
endforeach()
# Each exception must still be needed.
set(stale "")
foreach(pair IN LISTS known_pairs)
  if(NOT pair IN_LIST used_pairs)
    string(REPLACE " " ": #include \"" line "${pair}\"")
    list(APPEND stale "${line}")
  endif()
endforeach()
if(stale)
  list(JOIN stale "\n  " lines)
  string(APPEND report "stale (known exceptions no longer needed: take them off the list):\n  ${lines}\n")
endif()

if(report)
  message(NOTICE "Layer rules broken:\n${report}")
  message(FATAL_ERROR "The layer scan found forbidden includes.")
endif()
