# The Debian package, made by CPack from the installation:
#   cpack --config <build>/CPackConfig.cmake -B <folder>
# gives <folder>/horavex_<version>_<arch>.deb. Its dependencies are those
# dpkg-shlibdeps finds for the binaries (the plug-in, its font chooser and
# horavex-render), never a list kept by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME horavex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Horavex developers")
set(CPACK_PACKAGE_CONTACT "${HORAVEX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "OpenFX plug-in that draws a clock into video frames")
set(CPACK_PACKAGE_DESCRIPTION
  "Horavex draws an analogue, digital or LED clock into the frames of video
editing and compositing hosts that load OpenFX (OFX) plug-ins, such as
Shotcut, Kdenlive and melt (through MLT) or Natron. The time shown follows
the frame's place on the timeline: a time of day from a start time, a speed
factor and a stop time, a stopwatch or a countdown, in sixteen text formats
including SMPTE timecode.

The plug-in is installed in /usr/OFX/Plugins, where Linux OFX hosts find
it. The package also holds horavex-render, which renders frames of the clock
into PNG files or a raw video stream without a host.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(HORAVEX_DPKG dpkg)
if(HORAVEX_DPKG)
  execute_process(COMMAND ${HORAVEX_DPKG} --print-architecture
    OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders the package makes are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
