# Cross-built test programs run under Wine, in a Wine prefix of this build
# folder's own (never the user's), set up on first use by tools/ci/wine-run.sh.
find_program(HORAVEX_WINE NAMES wine64 wine HINTS /usr/lib/wine REQUIRED)
set(HORAVEX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_SOURCE_DIR}/tools/ci/wine-run.sh ${HORAVEX_WINE} ${HORAVEX_WINE_PREFIX})
