# The Windows installer, <build>/Horavex-<version>-win64-setup.exe, made with
# makensis (Debian's nsis) from the installation staged in
# <build>/installer-root, as part of every Win64 build where makensis is
# found.
find_program(HORAVEX_MAKENSIS makensis)
if(NOT HORAVEX_MAKENSIS)
  message(STATUS "makensis not found (Debian package nsis): no Windows installer")
  return()
endif()
set(HORAVEX_INSTALLER ${CMAKE_BINARY_DIR}/Horavex-${PROJECT_VERSION}-win64-setup.exe)
set(HORAVEX_INSTALLER_STAGE ${CMAKE_BINARY_DIR}/installer-root)
set(HORAVEX_INSTALLER_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/windows/Horavex.nsi)
add_custom_command(
  OUTPUT ${HORAVEX_INSTALLER}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${HORAVEX_INSTALLER_STAGE}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${HORAVEX_INSTALLER_STAGE} --strip
  COMMAND ${HORAVEX_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${HORAVEX_INSTALLER_STAGE}
    -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE -DOUTFILE=${HORAVEX_INSTALLER} ${HORAVEX_INSTALLER_SCRIPT}
  DEPENDS horavex_plugin horavex_render $<TARGET_FILE:horavex_plugin> $<TARGET_FILE:horavex_render>
    ${HORAVEX_INSTALLER_SCRIPT} ${PROJECT_SOURCE_DIR}/LICENSE ${HORAVEX_BUNDLE_DIR}/Contents/Info.plist
  COMMENT "Making the Windows installer ${HORAVEX_INSTALLER}"
  VERBATIM)
add_custom_target(horavex_installer ALL DEPENDS ${HORAVEX_INSTALLER})
