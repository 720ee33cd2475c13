# SPDX-License-Identifier: BSD-2-Clause-Patent
# Runs check_includes.cmake over a tree of three layers, low <- high, and
# other beside them, with one file of high allowed other as well. Each
# file below is either accepted or must be named in the check's error.
# Usage: cmake -DCHECK=<check_includes.cmake> -DWORK=<scratch dir> -P include_check_test.cmake
set(files
  # file                 included line                    refused
  "low/a.h|#include \"low/b.h\"|0"
  "low/angle.cpp|#include <stdint.h>|0"
  "low/spaced.cpp|  #  include \"low/a.h\"|0"
  "low/commented.cpp|// #include \"high/x.h\"|0"
  "low/plain.cpp|#include \"a.h\"|0"
  "low/up.cpp|#include \"high/x.h\"|1"
  "low/up_angle.cpp|#include <high/x.h>|1"
  "low/relative.cpp|#include \"../high/x.h\"|1"
  "high/down.cpp|#include \"low/a.h\"|0"
  "high/beside.cpp|#include \"other/y.h\"|1"
  "high/own_rule.cpp|#include \"other/y.h\"|0")

file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/rules.txt "low low\nhigh high low\nother other\nhigh/own_rule.cpp high low other\n")
foreach(entry IN LISTS files)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 file)
  list(GET entry 1 line)
  file(WRITE ${WORK}/tree/${file} "${line}\n")
endforeach()
file(WRITE ${WORK}/tree/other/y.h "\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORK}/tree -DRULES=${WORK}/rules.txt -P ${CHECK}
                RESULT_VARIABLE result ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "the check accepted includes against the layers")
endif()
set(wrong "")
foreach(entry IN LISTS files)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 file)
  list(GET entry 2 refused)
  string(FIND "${output}" "  ${file} includes" at)
  if(refused AND at EQUAL -1)
    string(APPEND wrong "\n  ${file}: accepted, should be refused")
  elseif(NOT refused AND NOT at EQUAL -1)
    string(APPEND wrong "\n  ${file}: refused, should be accepted")
  endif()
endforeach()
if(wrong)
  message(FATAL_ERROR "include check:${wrong}\ncheck output:\n${output}")
endif()
