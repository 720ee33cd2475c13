# SPDX-License-Identifier: BSD-2-Clause-Patent
# The release version is written once, in project(sysinfo VERSION ...) of
# the top CMakeLists.txt; the firmware sub-build reads the same line. It
# reaches the images' PE headers (major.minor: the header has no field for
# the patch number), each firmware file's VERSION section (the text and a
# build number) and `sysinfo-sim --version`.
#
# The build number is the version's digits in decimal, MMmmpp:
# major * 10000 + minor * 100 + patch (1.0.0 -> 10000, 1.2.3 -> 10203), so
# a later version has a larger number and the version can be read off it.
# It must fit the section's 16 bits: minor and patch below 100, the whole at
# most 65535 (so major 6 at most).
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "The project version '${PROJECT_VERSION}' is not MAJOR.MINOR.PATCH")
endif()
math(EXPR SYSINFO_BUILD_NUMBER
     "${PROJECT_VERSION_MAJOR} * 10000 + ${PROJECT_VERSION_MINOR} * 100 + ${PROJECT_VERSION_PATCH}")
if(PROJECT_VERSION_MINOR GREATER 99 OR PROJECT_VERSION_PATCH GREATER 99 OR SYSINFO_BUILD_NUMBER GREATER 65535)
  message(FATAL_ERROR "Version ${PROJECT_VERSION} has no 16-bit build number MMmmpp: "
                      "minor and patch must be 0..99, the number at most 65535")
endif()
