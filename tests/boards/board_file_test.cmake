# SPDX-License-Identifier: BSD-2-Clause-Patent
# The board-file reader (cmake/board_file.cmake): a good file read back
# value by value, then each fault the build must refuse, one changed line
# at a time, named in the reader's errors.
# Usage: cmake -DWORK=<scratch dir> -P board_file_test.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/board_file.cmake)
file(REMOVE_RECURSE ${WORK})

# Addresses apart by blanks and a tab, and on a continuation line.
set(good [=[
# A comment may hold ; [ and ].
BOARD_NAME = Tarsa "T1" \ rev. B
CONSOLE_UART_BASE = 0x040E0000
GPIO_CONTROLLER_BASES = 0x16004000  0x16005000	0x16006000
                        0x04120000 0x04130000 0x04140000 0xFFFFFFFFFFFFF000
DEPEX_PROTOCOLS = MEMORY_INFO_PROTOCOL_GUID
IMAGE = FALSE
DESCRIPTION = a board of this test
]=])

set(failures "")
function(read_board name text)
  file(WRITE ${WORK}/${name} "${text}")
  sysinfo_read_board(${WORK}/${name} BOARD)
  foreach(field ID NAME UART GPIO DEPEX IMAGE DESCRIPTION ERROR)
    set(BOARD_${field} "${BOARD_${field}}" PARENT_SCOPE)
  endforeach()
endfunction()

read_board(t1.board "${good}")
sysinfo_cxx_string("${BOARD_NAME}" literal)
set(expected "t1|Tarsa \"T1\" \\ rev. B|0x040E0000|0x16004000 0x16005000 0x16006000 0x04120000 0x04130000 0x04140000 \
0xFFFFFFFFFFFFF000|MEMORY_INFO_PROTOCOL_GUID|FALSE|a board of this test||Tarsa \\\"T1\\\" \\\\ rev. B")
list(JOIN BOARD_GPIO " " gpio)
set(got "${BOARD_ID}|${BOARD_NAME}|${BOARD_UART}|${gpio}|${BOARD_DEPEX}|${BOARD_IMAGE}|${BOARD_DESCRIPTION}|${BOARD_ERROR}|${literal}")
if(NOT got STREQUAL expected)
  string(APPEND failures "\n  good file read as\n    ${got}\n  not\n    ${expected}")
endif()

# refused(label, line of the good file, its replacement, error expected)
function(refused label line replacement message)
  string(REPLACE "${line}" "${replacement}" text "${good}")
  if(text STREQUAL good)
    message(FATAL_ERROR "${label}: the good file has no line '${line}'")
  endif()
  read_board(t1.board "${text}")
  string(FIND "${BOARD_ERROR}" "${message}" at)
  if(at EQUAL -1)
    set(failures "${failures}\n  ${label}: errors '${BOARD_ERROR}' do not name '${message}'" PARENT_SCOPE)
  endif()
endfunction()
refused("key missing" "IMAGE = FALSE\n" "" "IMAGE missing")
refused("key misspelt" "CONSOLE_UART_BASE =" "CONSOLE_UART =" "unknown key CONSOLE_UART")
refused("key twice" "IMAGE = FALSE" "IMAGE = FALSE\nIMAGE = TRUE" "IMAGE given twice")
refused("name empty" "BOARD_NAME = Tarsa \"T1\" \\ rev. B" "BOARD_NAME =" "BOARD_NAME is empty")
refused("list character" "rev. B" "rev. B\\;C" "BOARD_NAME: ';'")
refused("six controllers" " 0xFFFFFFFFFFFFF000" "" "has 6 addresses: the SoC has 7")
refused("eight controllers" " 0xFFFFFFFFFFFFF000" " 0x1000 0x2000" "has 8 addresses: the SoC has 7")
refused("decimal address" "0x040E0000" "67985408" "'67985408' is not a 64-bit")
refused("address too wide" "0xFFFFFFFFFFFFF000" "0x1FFFFFFFFFFFFF000" "'0x1FFFFFFFFFFFFF000' is not a 64-bit")
refused("protocol unknown" "MEMORY_INFO_PROTOCOL_GUID" "MEMORY_INFO_GUID" "'MEMORY_INFO_GUID' is not a GUID")
refused("image yes" "IMAGE = FALSE" "IMAGE = yes" "TRUE or FALSE")
refused("stray line" "IMAGE = FALSE" "IMAGE = FALSE\nIMAGE FALSE" "line 8: neither")
read_board(Tarsa_T1.board "${good}")
if(NOT BOARD_ERROR MATCHES "not a board id")
  string(APPEND failures "\n  Tarsa_T1.board: accepted as a board id")
endif()

if(failures)
  message(FATAL_ERROR "board files:${failures}")
endif()
