# SPDX-License-Identifier: BSD-2-Clause-Patent
# Flags of the host flavour, as interface targets each target links: the
# driver's layers also link sysinfo_driver_codegen. Tests run under
# AddressSanitizer and UndefinedBehaviorSanitizer unless SYSINFO_SANITIZE is
# turned off.
option(SYSINFO_SANITIZE "Build the host flavour with ASan and UBSan" ON)
option(SYSINFO_BUILD_FIRMWARE "Also build the AArch64 firmware flavour" ON)
option(SYSINFO_COVERAGE "Instrument the host flavour for source-based coverage" OFF)

# Without a build type the host flavour is a debug build (debug information
# for the sanitizers' reports and the debugger).
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Debug CACHE STRING "Build type of the host flavour" FORCE)
endif()

add_library(sysinfo_warnings INTERFACE)
target_compile_options(sysinfo_warnings INTERFACE -Wall -Wextra -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 also warns about designated initializers that leave members to
  # their defaults, which the tests and tools do on purpose; clang does not.
  target_compile_options(sysinfo_warnings INTERFACE -Wno-missing-field-initializers)
endif()

add_library(sysinfo_sanitizers INTERFACE)
if(SYSINFO_SANITIZE)
  set(flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(sysinfo_sanitizers INTERFACE ${flags})
  target_link_options(sysinfo_sanitizers INTERFACE ${flags})
endif()

add_library(sysinfo_coverage INTERFACE)
if(SYSINFO_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SYSINFO_COVERAGE uses clang's source-based coverage: configure with clang++")
  endif()
  target_compile_options(sysinfo_coverage INTERFACE -fprofile-instr-generate -fcoverage-mapping)
  target_link_options(sysinfo_coverage INTERFACE -fprofile-instr-generate)
endif()

# The driver's code as the image has it: no exceptions, no RTTI.
add_library(sysinfo_driver_codegen INTERFACE)
target_compile_options(sysinfo_driver_codegen INTERFACE -fno-exceptions -fno-rtti)

enable_testing()

# The firmware flavour builds with clang and lld only, whatever compiler the
# host flavour uses. Without them the host build goes on without it.
if(SYSINFO_BUILD_FIRMWARE)
  find_program(SYSINFO_FIRMWARE_CLANG clang++)
  find_program(SYSINFO_FIRMWARE_LLD lld-link)
  find_program(SYSINFO_FIRMWARE_AR llvm-ar)
  if(NOT SYSINFO_FIRMWARE_CLANG OR NOT SYSINFO_FIRMWARE_LLD OR NOT SYSINFO_FIRMWARE_AR)
    message(STATUS "Firmware sub-build skipped: it needs clang++, lld-link and llvm-ar (scripts/packages.sh)")
    set(SYSINFO_BUILD_FIRMWARE OFF)
  endif()
endif()

if(SYSINFO_BUILD_FIRMWARE)
  include(ExternalProject)
  set(SYSINFO_FIRMWARE_DIR ${CMAKE_BINARY_DIR}/firmware)
  ExternalProject_Add(firmware
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${SYSINFO_FIRMWARE_DIR}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/aarch64-uefi.cmake
      -DSYSINFO_FIRMWARE=ON
      ${SYSINFO_SOURCE_ID_ARGS}
      ${SYSINFO_SIGNING_ARGS}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
endif()
