# SPDX-License-Identifier: BSD-2-Clause-Patent
# Signed driver images, for boards with Secure Boot on. Given the board's
# signature-database key (SYSINFO_SIGNING_KEY, a PEM private key without a
# password) and its certificate (SYSINFO_SIGNING_CERT), the firmware build
# writes sysinfo-<board>.signed.efi beside each image with sbsign and checks
# it with sbverify. Without them it signs nothing. The .ffs keeps the
# unsigned image: the firmware does not check the drivers of its own volumes.
set(SYSINFO_SIGNING_KEY "" CACHE FILEPATH "Private key (PEM, no password) that signs the driver images")
set(SYSINFO_SIGNING_CERT "" CACHE FILEPATH "Certificate (PEM) of SYSINFO_SIGNING_KEY")
set(SYSINFO_SIGNING_ARGS -DSYSINFO_SIGNING_KEY=${SYSINFO_SIGNING_KEY} -DSYSINFO_SIGNING_CERT=${SYSINFO_SIGNING_CERT})

# Checked in both flavours, so that a wrong setting fails the host's
# configure already; the host passes both on to the firmware sub-build,
# which signs and says whether it does.
if(NOT SYSINFO_SIGNING_KEY STREQUAL "" OR NOT SYSINFO_SIGNING_CERT STREQUAL "")
  foreach(file IN ITEMS SYSINFO_SIGNING_KEY SYSINFO_SIGNING_CERT)
    if(NOT EXISTS "${${file}}" OR IS_DIRECTORY "${${file}}")
      message(FATAL_ERROR "${file}: no such file '${${file}}' (signing needs both the key and its certificate)")
    endif()
  endforeach()
  find_program(SYSINFO_SBSIGN sbsign)
  find_program(SYSINFO_SBVERIFY sbverify)
  if(NOT SYSINFO_SBSIGN OR NOT SYSINFO_SBVERIFY)
    message(FATAL_ERROR "Signing needs sbsign and sbverify (Debian package sbsigntool)")
  endif()
endif()
if(NOT SYSINFO_FIRMWARE)
  return()
elseif(SYSINFO_SIGNING_KEY STREQUAL "")
  message(STATUS "Driver images not signed (set SYSINFO_SIGNING_KEY and SYSINFO_SIGNING_CERT to sign them)")
else()
  message(STATUS "Driver images signed with ${SYSINFO_SIGNING_CERT}")
endif()

# Writes <target>.signed.efi beside the image of `target` when a key is
# set. sbsign writes a temporary file that becomes the output only once
# sbverify has accepted it, so a failed check leaves no signed image behind.
# Without a key, a signed image of an earlier build is removed.
function(sysinfo_sign_efi_image target)
  set(signed ${CMAKE_CURRENT_BINARY_DIR}/${target}.signed.efi)
  if(SYSINFO_SIGNING_KEY STREQUAL "")
    file(REMOVE ${signed})
    return()
  endif()
  add_custom_command(OUTPUT ${signed}
    COMMAND ${SYSINFO_SBSIGN} --key ${SYSINFO_SIGNING_KEY} --cert ${SYSINFO_SIGNING_CERT}
            --output ${signed}.tmp $<TARGET_FILE:${target}>
    COMMAND ${SYSINFO_SBVERIFY} --cert ${SYSINFO_SIGNING_CERT} ${signed}.tmp
    COMMAND ${CMAKE_COMMAND} -E rename ${signed}.tmp ${signed}
    COMMAND stat -c "${target}.signed.efi: %s bytes" ${signed}
    DEPENDS ${target} ${SYSINFO_SIGNING_KEY} ${SYSINFO_SIGNING_CERT}
    COMMENT "Signing ${target}.efi"
    VERBATIM)
  add_custom_target(${target}-signed ALL DEPENDS ${signed})
endfunction()
