# Flags of the host flavour. Tests run under AddressSanitizer and
# UndefinedBehaviorSanitizer unless SYSINFO_SANITIZE is turned off.
option(SYSINFO_SANITIZE "Build the host flavour with ASan and UBSan" ON)
option(SYSINFO_BUILD_FIRMWARE "Also build the AArch64 firmware flavour" ON)
option(SYSINFO_COVERAGE "Instrument the host flavour for source-based coverage" OFF)

add_compile_options(-Wall -Wextra -Werror -g)
set(SYSINFO_DRIVER_FLAGS -fno-exceptions -fno-rtti)
if(SYSINFO_SANITIZE)
  set(SYSINFO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${SYSINFO_SANITIZER_FLAGS})
  add_link_options(${SYSINFO_SANITIZER_FLAGS})
endif()

if(SYSINFO_COVERAGE)
  add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
  add_link_options(-fprofile-instr-generate)
endif()

enable_testing()

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
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
endif()
