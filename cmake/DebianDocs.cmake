# The Debian package's copyright file (machine-readable format) from LICENSE,
# and its changelog from CHANGELOG.md, both into HORAVEX_DOC_DIR.
set(HORAVEX_MAINTAINER "The Horavex developers <horavex@quandel.de>")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE HORAVEX_LICENSE_LINES)
set(HORAVEX_LICENSE_TEXT "")
foreach(line IN LISTS HORAVEX_LICENSE_LINES)
  if(line STREQUAL "")
    string(APPEND HORAVEX_LICENSE_TEXT " .\n")
  else()
    string(APPEND HORAVEX_LICENSE_TEXT " ${line}\n")
  endif()
endforeach()
file(WRITE ${HORAVEX_DOC_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Horavex

Files: *
Copyright: 2026 The Horavex developers
License: BSD-3-Clause

License: BSD-3-Clause
${HORAVEX_LICENSE_TEXT}")

find_program(HORAVEX_AWK NAMES gawk mawk awk REQUIRED)
execute_process(
  COMMAND ${HORAVEX_AWK} -v package=horavex -v "maintainer=${HORAVEX_MAINTAINER}"
    -f ${PROJECT_SOURCE_DIR}/cmake/debian/changelog.awk ${PROJECT_SOURCE_DIR}/CHANGELOG.md
  OUTPUT_FILE ${HORAVEX_DOC_DIR}/changelog
  RESULT_VARIABLE HORAVEX_CHANGELOG_RESULT)
if(NOT HORAVEX_CHANGELOG_RESULT EQUAL 0)
  message(FATAL_ERROR "CHANGELOG.md could not be turned into a Debian changelog")
endif()
