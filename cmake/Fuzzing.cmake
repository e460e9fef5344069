# QM_FUZZ: libFuzzer targets for every parser of the suite (clang only).
#
# The sanitizer flags are set for the whole tree, so the libraries the targets link
# (PackLib, PatchLib, imaging, inidoc, qmplatform) are instrumented too: a finding deep in a
# library then shows up with coverage and a precise report. Only the fuzz executables link
# libFuzzer's main itself.
option(QM_FUZZ "Build the libFuzzer targets under tests/fuzz (needs clang)" OFF)

if(QM_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QM_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)

  # qm_add_fuzzer(NAME SOURCES a.cpp ... LIBS lib1 ...): one libFuzzer executable.
  function(qm_add_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    qm_warnings(${name})
  endfunction()
endif()
