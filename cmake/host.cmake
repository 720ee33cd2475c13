# Flags of the host flavour. Tests run under AddressSanitizer and
# UndefinedBehaviorSanitizer unless SYSINFO_SANITIZE is turned off.
option(SYSINFO_SANITIZE "Build the host flavour with ASan and UBSan" ON)
option(SYSINFO_BUILD_FIRMWARE "Also build the AArch64 firmware flavour" ON)
option(SYSINFO_COVERAGE "Instrument the host flavour for source-based coverage" OFF)

add_compile_options(-Wall -Wextra -Werror -g)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 also warns about designated initializers that leave members to
  # their defaults, which the tests and tools do on purpose; clang does not.
  add_compile_options(-Wno-missing-field-initializers)
endif()
set(SYSINFO_DRIVER_FLAGS -fno-exceptions -fno-rtti)
if(SYSINFO_SANITIZE)
  set(SYSINFO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${SYSINFO_SANITIZER_FLAGS})
  add_link_options(${SYSINFO_SANITIZER_FLAGS})
endif()

if(SYSINFO_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SYSINFO_COVERAGE uses clang's source-based coverage: configure with clang++")
  endif()
  add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
  add_link_options(-fprofile-instr-generate)
endif()

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
