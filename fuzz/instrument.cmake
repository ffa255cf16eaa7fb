# Included by the top CMakeLists.txt when KZ_FUZZ is ON, before any target exists: every object of
# the build (kzcore above all) gets the sanitizers and the coverage hooks libFuzzer steers by. The
# fuzzer's own main is linked into the fuzz targets only (fuzz/CMakeLists.txt); the other programs
# of the build link the sanitizer runtimes alone, which also answer the coverage hooks.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR
    "KZ_FUZZ needs clang (libFuzzer ships with it), but the C++ compiler is "
    "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}. Configure a fresh build folder with "
    "CC=clang CXX=clang++ cmake ... -DKZ_FUZZ=ON")
endif()
if(KZ_TSAN)
  message(FATAL_ERROR "KZ_FUZZ and KZ_TSAN cannot be combined (the fuzz build uses AddressSanitizer)")
endif()

# -fno-sanitize-recover: an undefined-behaviour report must stop the run, or the fuzzer would
# neither notice it nor keep the input that caused it.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
