# SPDX-License-Identifier: BSD-2-Clause-Patent
# The release archive, sysinfo-<version>.tar.gz with everything in
# sysinfo-<version>/ (`cmake --build build --target package`, which builds
# first; or cpack in the build directory):
#   drivers/    per board with an image: .efi, .depex, .ffs, and
#               .signed.efi when a signing key is set
#   tools/      fwimage.py and its package
#   platform/   guids.h, where the tool reads protocol names (it looks for
#               it beside tools/, as in the source tree)
#   SHIPPING.md the README's "Shipping the driver" section; docs/flash.md
#   CHANGELOG.md, LICENSE, and SHA256SUMS over every other file.
# The archive's contents are the install rules below; the host build makes
# the package only with the firmware sub-build, whose images it ships.
if(NOT SYSINFO_BUILD_FIRMWARE)
  message(STATUS "No release archive: it needs the firmware sub-build's images")
  return()
endif()

set(shipping ${CMAKE_BINARY_DIR}/release/SHIPPING.md)
add_custom_command(OUTPUT ${shipping}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/README.md "-DHEADING=Shipping the driver"
          -DOUTPUT=${shipping} -P ${CMAKE_SOURCE_DIR}/cmake/markdown_section.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/cmake/markdown_section.cmake
  COMMENT "SHIPPING.md from the README's shipping section"
  VERBATIM)
add_custom_target(release_notes ALL DEPENDS ${shipping})

set(kinds .efi .depex .ffs)
if(NOT SYSINFO_SIGNING_KEY STREQUAL "")
  list(APPEND kinds .signed.efi)
endif()
foreach(board IN LISTS SYSINFO_IMAGE_BOARDS)
  foreach(kind IN LISTS kinds)
    install(FILES ${SYSINFO_FIRMWARE_DIR}/image/sysinfo-${board}${kind} DESTINATION drivers)
  endforeach()
endforeach()
file(GLOB tool_package CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fwimage/*.py)
install(PROGRAMS tools/fwimage.py DESTINATION tools)
install(FILES ${tool_package} DESTINATION tools/fwimage)
install(FILES platform/guids.h DESTINATION platform)
install(FILES docs/flash.md DESTINATION docs)
install(FILES ${shipping} CHANGELOG.md LICENSE DESTINATION .)
# Last: the checksums of everything installed before.
install(SCRIPT cmake/sha256sums.cmake)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_FILE_NAME sysinfo-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
