# What an installation holds, for `cmake --install` and the packages:
#   OFX/Plugins/Horavex.ofx.bundle   the plug-in, where OFX hosts look under /usr
#   bin/horavex-render               finds the bundle of its own prefix
# and on Linux the manual page, the copyright and the changelog; the Debian
# package (cmake/DebianPackage.cmake) and the Windows installer
# (cmake/WindowsInstaller.cmake) are made from it.
# The bundle's binaries are installed as targets, so that an installation
# with --strip (and the packages) strips them.
set(HORAVEX_INSTALL_BUNDLE OFX/Plugins/Horavex.ofx.bundle)
set(HORAVEX_INSTALL_BINARIES ${HORAVEX_INSTALL_BUNDLE}/Contents/${HORAVEX_ARCH_FOLDER})
install(FILES ${HORAVEX_BUNDLE_DIR}/Contents/Info.plist DESTINATION ${HORAVEX_INSTALL_BUNDLE}/Contents)
install(DIRECTORY DESTINATION ${HORAVEX_INSTALL_BUNDLE}/Contents/Resources)
install(TARGETS horavex_plugin LIBRARY DESTINATION ${HORAVEX_INSTALL_BINARIES})
if(TARGET horavex_fontchooser)
  install(TARGETS horavex_fontchooser RUNTIME DESTINATION ${HORAVEX_INSTALL_BINARIES})
endif()
install(TARGETS horavex_render RUNTIME DESTINATION bin)

if(WIN32)
  include(cmake/WindowsInstaller.cmake)
  return()
endif()

# Debian wants manual pages and changelogs compressed, the same bytes for
# the same text (gzip -n: no name, no time stamp).
find_program(HORAVEX_GZIP gzip REQUIRED)
set(HORAVEX_DOC_DIR ${CMAKE_BINARY_DIR}/doc)
configure_file(docs/horavex-render.1.in ${HORAVEX_DOC_DIR}/horavex-render.1 @ONLY)
include(cmake/DebianDocs.cmake)
add_custom_command(
  OUTPUT ${HORAVEX_DOC_DIR}/horavex-render.1.gz ${HORAVEX_DOC_DIR}/changelog.gz
  COMMAND ${HORAVEX_GZIP} -9nkf ${HORAVEX_DOC_DIR}/horavex-render.1 ${HORAVEX_DOC_DIR}/changelog
  DEPENDS ${HORAVEX_DOC_DIR}/horavex-render.1 ${HORAVEX_DOC_DIR}/changelog
  VERBATIM)
add_custom_target(horavex_docs ALL DEPENDS ${HORAVEX_DOC_DIR}/horavex-render.1.gz ${HORAVEX_DOC_DIR}/changelog.gz)
install(FILES ${HORAVEX_DOC_DIR}/horavex-render.1.gz DESTINATION share/man/man1)
install(FILES ${HORAVEX_DOC_DIR}/copyright ${HORAVEX_DOC_DIR}/changelog.gz DESTINATION share/doc/horavex)
# /usr/OFX/Plugins is where OFX hosts look on Linux, outside the usual tree.
install(FILES cmake/debian/lintian-overrides DESTINATION share/lintian/overrides RENAME horavex)

include(cmake/DebianPackage.cmake)
