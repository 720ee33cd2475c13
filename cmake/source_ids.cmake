# SPDX-License-Identifier: BSD-2-Clause-Patent
# The four source-repository commit ids shown on the page. Each is either
# given explicitly (SYSINFO_ID_<TREE>) or read from a checkout of that tree
# (SYSINFO_TREE_<TREE>) as an abbreviated id of the tree's usual length.
# A build with neither shows "unknown".
set(SYSINFO_SOURCE_TREES EDK2_ZUN:7 EDK2:10 EDK2_NON_OSI:7 EDK2_PLATFORMS:8)
set(SYSINFO_SOURCE_ID_ARGS "")

foreach(entry IN LISTS SYSINFO_SOURCE_TREES)
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 tree)
  list(GET parts 1 digits)
  set(SYSINFO_ID_${tree} "" CACHE STRING "Commit id shown for ${tree} (lower-case hex)")
  set(SYSINFO_TREE_${tree} "" CACHE PATH "Checkout of ${tree} to take the commit id from")
  set(id "${SYSINFO_ID_${tree}}")
  if(id STREQUAL "" AND NOT SYSINFO_TREE_${tree} STREQUAL "")
    execute_process(
      COMMAND git -C "${SYSINFO_TREE_${tree}}" rev-parse --short=${digits} HEAD
      OUTPUT_VARIABLE id OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE git_result)
    if(NOT git_result EQUAL 0)
      message(FATAL_ERROR "SYSINFO_TREE_${tree}: no git checkout at ${SYSINFO_TREE_${tree}}")
    endif()
  endif()
  if(id STREQUAL "")
    set(id "unknown")
  else()
    # At most 40 digits, a whole SHA-1 id (CMake's regular expressions
    # have no {n} counts).
    string(LENGTH "${id}" length)
    if(NOT id MATCHES "^[0-9a-f]+$" OR length GREATER 40)
      message(FATAL_ERROR "SYSINFO_ID_${tree}: '${id}' is not a lower-case hexadecimal commit id")
    endif()
    list(APPEND SYSINFO_SOURCE_ID_ARGS "-DSYSINFO_ID_${tree}=${id}")
  endif()
  set(SYSINFO_ID_${tree}_VALUE "${id}")
endforeach()
