# SPDX-License-Identifier: BSD-2-Clause-Patent
# Run by the install after every other file: SHA256SUMS over the files the
# install wrote (CMAKE_INSTALL_MANIFEST_FILES, not whatever else the prefix
# holds), in sha256sum's format with paths relative to the prefix, so that
# `sha256sum -c SHA256SUMS` checks an unpacked release. The manifest names
# files without DESTDIR, as the prefix is.
set(names "")
foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  cmake_path(RELATIVE_PATH file BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE name)
  cmake_path(NORMAL_PATH name)
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(lines "")
foreach(name IN LISTS names)
  file(SHA256 "${root}/${name}" hash)
  string(APPEND lines "${hash}  ${name}\n")
endforeach()
message(STATUS "Installing: ${root}/SHA256SUMS")
file(WRITE "${root}/SHA256SUMS" "${lines}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_PREFIX}/SHA256SUMS")
