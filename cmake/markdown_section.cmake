# SPDX-License-Identifier: BSD-2-Clause-Patent
# Writes one "## HEADING" section of a Markdown file (up to the next "## "
# heading) to a file of its own, its heading made the title, so that the
# text is kept in one place (the README) and shipped on its own.
#   cmake -DINPUT=README.md "-DHEADING=Shipping the driver" -DOUTPUT=SHIPPING.md -P markdown_section.cmake
file(READ "${INPUT}" text)
string(FIND "${text}" "\n## ${HEADING}\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${INPUT} has no section '## ${HEADING}'")
endif()
math(EXPR start "${start} + 4")  # past "\n## "
string(SUBSTRING "${text}" ${start} -1 section)
string(FIND "${section}" "\n## " end)
string(SUBSTRING "${section}" 0 ${end} section)
string(STRIP "${section}" section)
file(WRITE "${OUTPUT}" "# ${section}\n")
