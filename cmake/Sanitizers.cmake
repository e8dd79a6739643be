# Sanitizer builds. HORAVEX_SANITIZE: AddressSanitizer + UBSan (GCC or clang).
# HORAVEX_TSAN: ThreadSanitizer. HORAVEX_FUZZ: the libFuzzer targets of fuzz/
# (clang only), built with AddressSanitizer + UBSan and coverage feedback
# throughout.
option(HORAVEX_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(HORAVEX_TSAN "Build everything with ThreadSanitizer" OFF)
option(HORAVEX_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang; implies HORAVEX_SANITIZE)" OFF)

if(HORAVEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "HORAVEX_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  set(HORAVEX_SANITIZE ON CACHE BOOL "" FORCE)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(HORAVEX_SANITIZE AND HORAVEX_TSAN)
  message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
endif()

if(HORAVEX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(HORAVEX_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# clang links a sanitizer's runtime into the program only, so a module built
# with a sanitizer leaves its symbols to be found at load time.
set(HORAVEX_MODULE_NO_UNDEFINED -Wl,--no-undefined)
if((HORAVEX_SANITIZE OR HORAVEX_TSAN) AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(HORAVEX_MODULE_NO_UNDEFINED "")
endif()
