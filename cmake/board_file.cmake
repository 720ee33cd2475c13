# SPDX-License-Identifier: BSD-2-Clause-Patent
# Reads a board file, boards/<id>.board: one KEY = value per line, a line
# that starts with blanks goes on with the value above, lines whose first
# character that is not blank is # are comments (README, Adding a board).
#
# sysinfo_read_board(file prefix) sets, in the caller's scope,
#   prefix_ID           the file's name without .board
#   prefix_NAME         BOARD_NAME, the page's "PCB SKU"
#   prefix_UART         CONSOLE_UART_BASE
#   prefix_GPIO         GPIO_CONTROLLER_BASES, one address per controller
#   prefix_DEPEX        DEPEX_PROTOCOLS, names from platform/guids.h (may be empty)
#   prefix_IMAGE        IMAGE, TRUE or FALSE
#   prefix_DESCRIPTION  DESCRIPTION, the simulator's line for the board
#   prefix_ERROR        what is wrong with the file, one line each; empty when nothing is
set(SYSINFO_BOARD_KEYS BOARD_NAME CONSOLE_UART_BASE GPIO_CONTROLLER_BASES DEPEX_PROTOCOLS IMAGE DESCRIPTION)

function(sysinfo_read_board file prefix)
  set(errors "")
  get_filename_component(id ${file} NAME_WLE)
  if(NOT id MATCHES "^[a-z0-9][a-z0-9-]*$")
    string(APPEND errors "\n  the file name is not a board id (lower-case letters, digits and '-')")
  endif()
  file(READ ${file} text)
  sysinfo_board_values()
  string(REGEX REPLACE "[ \t]+" ";" gpio "${value_GPIO_CONTROLLER_BASES}")
  string(REGEX REPLACE "[ \t]+" ";" depex "${value_DEPEX_PROTOCOLS}")
  sysinfo_board_checks()

  set(${prefix}_ID ${id} PARENT_SCOPE)
  set(${prefix}_NAME "${value_BOARD_NAME}" PARENT_SCOPE)
  set(${prefix}_UART ${value_CONSOLE_UART_BASE} PARENT_SCOPE)
  set(${prefix}_GPIO ${gpio} PARENT_SCOPE)
  set(${prefix}_DEPEX ${depex} PARENT_SCOPE)
  set(${prefix}_IMAGE ${value_IMAGE} PARENT_SCOPE)
  set(${prefix}_DESCRIPTION "${value_DESCRIPTION}" PARENT_SCOPE)
  set(${prefix}_ERROR "${errors}" PARENT_SCOPE)
endfunction()

# The lines of `text`: value_<KEY> for every key, `seen` (the keys given)
# and the lines' faults in `errors`. CMake's lists would split or join
# lines at ';', '[' and ']': they are set aside, so that comments may hold
# them and values may not.
macro(sysinfo_board_values)
  set(seen "")
  foreach(key IN LISTS SYSINFO_BOARD_KEYS)
    set(value_${key} "")
  endforeach()
  string(ASCII 1 set_aside)
  string(REGEX REPLACE "[];[]" "${set_aside}" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(key "")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    string(STRIP "${line}" stripped)
    if(stripped STREQUAL "" OR stripped MATCHES "^#")
      continue()
    elseif(line MATCHES "^[ \t]" AND NOT key STREQUAL "")
      string(APPEND value_${key} " ${stripped}")
    elseif(line MATCHES "^([A-Z_]+)[ \t]*=(.*)$")
      set(key ${CMAKE_MATCH_1})
      string(STRIP "${CMAKE_MATCH_2}" value_${key})
      if(NOT key IN_LIST SYSINFO_BOARD_KEYS)
        string(APPEND errors "\n  line ${number}: unknown key ${key}")
      elseif(key IN_LIST seen)
        string(APPEND errors "\n  line ${number}: ${key} given twice")
      endif()
      list(APPEND seen ${key})
    else()
      string(APPEND errors "\n  line ${number}: neither KEY = value, a continuation nor a comment")
    endif()
  endforeach()
  foreach(key IN LISTS SYSINFO_BOARD_KEYS)
    if(value_${key} MATCHES "${set_aside}")
      string(APPEND errors "\n  ${key}: ';', '[' and ']' cannot appear in a value")
      set(value_${key} "")
    elseif(NOT key IN_LIST seen)
      string(APPEND errors "\n  ${key} missing")
    elseif(value_${key} STREQUAL "" AND NOT key STREQUAL "DEPEX_PROTOCOLS")
      string(APPEND errors "\n  ${key} is empty")
    endif()
  endforeach()
endmacro()

# The values' faults, added to `errors`: addresses that are not 64-bit
# hexadecimal or not one per GPIO controller, protocols that
# platform/guids.h does not define, an IMAGE that is not TRUE or FALSE.
macro(sysinfo_board_checks)
  set(tree ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/..)
  foreach(address IN LISTS value_CONSOLE_UART_BASE gpio)
    string(LENGTH "${address}" length)
    if(NOT address MATCHES "^0x[0-9A-Fa-f]+$" OR length GREATER 18)
      string(APPEND errors "\n  '${address}' is not a 64-bit hexadecimal address (0x...)")
    endif()
  endforeach()
  file(STRINGS ${tree}/boards/board_config.h count REGEX "GPIO_CONTROLLER_COUNT = [0-9]+")
  string(REGEX REPLACE ".*= ([0-9]+).*" "\\1" count "${count}")
  list(LENGTH gpio given)
  if("GPIO_CONTROLLER_BASES" IN_LIST seen AND NOT given EQUAL count)
    string(APPEND errors "\n  GPIO_CONTROLLER_BASES has ${given} addresses: the SoC has ${count} controllers")
  endif()
  foreach(protocol IN LISTS depex)
    if(protocol MATCHES "^[A-Z0-9_]+$")
      file(STRINGS ${tree}/platform/guids.h defined REGEX "EFI_GUID ${protocol} =")
    else()
      set(defined "")
    endif()
    if(NOT defined)
      string(APPEND errors "\n  DEPEX_PROTOCOLS: '${protocol}' is not a GUID of platform/guids.h")
    endif()
  endforeach()
  if("IMAGE" IN_LIST seen AND NOT value_IMAGE MATCHES "^(TRUE|FALSE)$")
    string(APPEND errors "\n  IMAGE is '${value_IMAGE}': TRUE or FALSE")
  endif()
endmacro()

# `text` as the body of a C++ string literal.
function(sysinfo_cxx_string text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
