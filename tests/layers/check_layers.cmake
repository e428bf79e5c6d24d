# Checks who may include whom: run with -DROOT=<source tree>. Fails, naming
# every breach, when a file includes a header its layer may not know.
#
# Layers, lowest first: platform/; cpu/; machines/ and computers/ (chips and
# machines); core/ and the host-side subsystems; debugger/ and assembler/;
# gui/, commands/, inspect/, devicewindows/ on top.

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P check_layers.cmake")
endif()

# Folders below the interface: none of them may include gui/ or the other top folders.
set(TOP_FOLDERS gui commands inspect devicewindows)
set(BELOW_TOP cpu core machines display sound record input computers peripherals debugger
    assembler)

set(breaches "")

# Adds a breach when `header` (the quoted include) is not allowed for `file`.
function(check_file file rel)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  string(REGEX MATCH "^[^/]+" folder "${rel}")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    string(REGEX MATCH "^[^/]+" target "${header}")
    set(bad "")
    if(folder STREQUAL "platform")
      if(NOT target STREQUAL "platform")
        set(bad "platform/ includes nothing above it")
      endif()
    elseif(folder STREQUAL "cpu")
      if(NOT (target STREQUAL "cpu" OR header STREQUAL "core/types.h"
              OR header STREQUAL "core/message.h" OR header STREQUAL "platform/catalog.h"))
        set(bad "cpu/ includes only cpu/, core/types.h, core/message.h and platform/catalog.h")
      endif()
    elseif(folder STREQUAL "machines" OR folder STREQUAL "computers")
      if(target STREQUAL "platform" AND NOT header STREQUAL "platform/catalog.h")
        set(bad "machines reach the host only through the framework")
      endif()
    endif()
    if(NOT bad AND folder IN_LIST BELOW_TOP AND target IN_LIST TOP_FOLDERS)
      set(bad "nothing below the interface includes ${target}/")
    endif()
    if(NOT bad AND (folder STREQUAL "machines" OR folder STREQUAL "computers")
       AND (target STREQUAL "debugger" OR target STREQUAL "assembler"))
      set(bad "machines do not include the debugger or the assembler")
    endif()
    if(bad)
      set(breaches "${breaches}${rel}: #include \"${header}\": ${bad}\n" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(folders platform ${BELOW_TOP})
foreach(dir IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${dir}/*.h" "${ROOT}/${dir}/*.cpp")
  foreach(rel IN LISTS sources)
    check_file("${ROOT}/${rel}" "${rel}")
  endforeach()
endforeach()

if(breaches)
  message(NOTICE "Layer rules broken:\n${breaches}")
  message(FATAL_ERROR "The layer scan found forbidden includes.")
endif()
