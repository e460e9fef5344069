# Labels say what a test needs beyond the build itself, so that a machine without it can leave
# those tests out (ctest -LE interop); Qt tests run off screen and need nothing:
#   interop   other programs' tools (ImageMagick, netpbm) to write or read the files compared
#   display   a real X server (under xvfb-run), for what the off-screen platform cannot show
#   network   the network;  wine  Wine;  sound  a sound device

# qm_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2] [ENVIRONMENT VAR=value ...])
# One GoogleTest executable; every test in it becomes a ctest test.
function(qm_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    QM_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    QM_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  qm_warnings(${name})
  set(props "")
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  if(ARG_ENVIRONMENT)
    list(APPEND props ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# qm_add_bench(NAME SOURCES a.cpp LIBS lib1 ...): one Google Benchmark executable (not a test).
function(qm_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  qm_warnings(${name})
endfunction()

# qm_add_qt_test(NAME SOURCES a.cpp LIBS lib1 ... [LABELS l1 ...]): one Qt Test executable
# (QTEST_MAIN), run off screen.
function(qm_add_qt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
  target_compile_definitions(${name} PRIVATE
    QM_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    QM_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  qm_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
