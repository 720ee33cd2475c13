# SPDX-License-Identifier: BSD-2-Clause-Patent
# Fails when an object of the firmware layer libraries carries a static
# initialiser: the driver's data must be constant, with nothing to run
# before the entry. The objects are LLVM bitcode (link-time optimisation)
# or native COFF; in both the compiler's initialiser function of a
# translation unit shows in the symbol table as _GLOBAL__sub_I_<file>, and
# one per object as ??__E<name> (Microsoft ABI dynamic initialiser).
# Usage: cmake -DNM=<llvm-nm> -DBUILD=<firmware build dir> -DLAYERS=text,hii,...
#        -P check_no_initialisers.cmake   (layer L's archive: L/libsysinfo_L.a)
string(REPLACE "," ";" layers "${LAYERS}")
set(listing "")
foreach(layer IN LISTS layers)
  set(archive ${BUILD}/${layer}/libsysinfo_${layer}.a)
  execute_process(COMMAND ${NM} ${archive} OUTPUT_VARIABLE archive_listing RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${archive}")
  endif()
  string(APPEND listing "${archive_listing}")
endforeach()
if(NOT listing MATCHES "page_packages\\.cpp\\.obj:")
  message(FATAL_ERROR "the ${LAYERS} archives do not hold the page packages")
endif()
set(object "")
set(offenders "")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ ]+\\.obj):$")
    set(object "${CMAKE_MATCH_1}")
  elseif(line MATCHES " (_GLOBAL__sub_I_[^ ]*|\\?\\?__E[^ ]*)$")
    list(APPEND offenders "${object}: ${CMAKE_MATCH_1}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "static initialisers in the firmware objects:\n${offenders}")
endif()
message(STATUS "no static initialisers in the ${LAYERS} archives")
