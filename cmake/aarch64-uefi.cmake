# SPDX-License-Identifier: BSD-2-Clause-Patent
# Toolchain for the AArch64 UEFI image: Debian's clang and lld, PE32+ output
# through the Windows ARM64 object format.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET aarch64-unknown-windows)
# For this target clang presents itself as MSVC-compatible, and CMake then
# passes no --target option of its own: name the target for compiling and
# for linking, or the objects come out for the host.
set(CMAKE_CXX_FLAGS_INIT "--target=${CMAKE_CXX_COMPILER_TARGET}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "--target=${CMAKE_CXX_COMPILER_TARGET}")
set(CMAKE_AR llvm-ar)
set(CMAKE_RANLIB llvm-ranlib)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_EXECUTABLE_SUFFIX .efi)
