# SPDX-License-Identifier: BSD-2-Clause-Patent
# The firmware flavour is clang and lld only (PE32+ through the Windows ARM64
# object format): its toolchain file names them.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "The firmware flavour builds with clang and lld only: "
                      "configure it with -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-uefi.cmake")
endif()

# Flags of the firmware flavour, as interface targets each target links.
# The code: freestanding, no exceptions, RTTI, stack protector, stack probes
# or unwind tables; integer registers only. Built for size with link-time
# optimisation: the image has a size budget.
set(SYSINFO_FIRMWARE_OPT -Oz -flto CACHE STRING "Optimisation flags of the firmware flavour")
add_library(sysinfo_firmware_codegen INTERFACE)
target_compile_options(sysinfo_firmware_codegen INTERFACE
    -ffreestanding -fno-exceptions -fno-rtti -fno-stack-protector -mno-stack-arg-probe
    -fno-unwind-tables -fno-asynchronous-unwind-tables -mgeneral-regs-only
    -fno-threadsafe-statics ${SYSINFO_FIRMWARE_OPT})

add_library(sysinfo_warnings INTERFACE)
target_compile_options(sysinfo_warnings INTERFACE -Wall -Wextra -Werror)

# The driver's layers link the same targets in both flavours: here the
# driver's code is the firmware's, and nothing is instrumented.
add_library(sysinfo_driver_codegen INTERFACE)
target_link_libraries(sysinfo_driver_codegen INTERFACE sysinfo_firmware_codegen)
add_library(sysinfo_sanitizers INTERFACE)
add_library(sysinfo_coverage INTERFACE)

# clang in its MSVC-compatible mode is given no dependency-file flags by
# CMake, so Ninja would not see header changes and would keep stale
# objects: ask for GNU-style dependency files explicitly.
set(CMAKE_DEPFILE_FLAGS_CXX "-MD -MT <DEP_TARGET> -MF <DEP_FILE>")

# Links a PE32+ EFI image `name`.efi from the given libraries with `entry` as
# its entry point (its own sources, if any, built as the firmware's code):
# no C runtime, no imports, base relocations kept. lld-link
# aligns sections to 4 KiB by default (an explicit /align draws a warning
# outside /driver links). Read-only data shares the code's section: one
# section fewer keeps the headers within one 512-byte file block and saves
# the padding of a section of its own. /Brepro puts a hash of the image in
# place of the link time, so the same sources give the same bytes (and the
# same firmware file). /version writes the project's major.minor into the
# header's image version fields. A link map lies beside each image. The
# suffix is set here because the Generic platform module resets the
# toolchain's executable suffix.
function(sysinfo_add_efi_image name entry subsystem)
  add_executable(${name})
  set_target_properties(${name} PROPERTIES SUFFIX .efi)
  target_link_libraries(${name} PRIVATE ${ARGN} sysinfo_firmware_codegen sysinfo_warnings)
  target_link_options(${name} PRIVATE -fuse-ld=lld -nostdlib -flto
      -Wl,-entry:${entry} -Wl,-subsystem:${subsystem} -Wl,-dynamicbase -Wl,/Brepro -Wl,/merge:.rdata=.text
      -Wl,/version:${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
      -Wl,/map:${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
endfunction()
