# quentry_add_test(<name> [GUI] SOURCES ... LIBS ...)
# One test executable per area, registered with ctest. Qt-using tests get the
# offscreen platform and a private runtime directory so they run headless; GUI
# tests get a QApplication instead of a QCoreApplication.
function(quentry_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_GUI)
    set(test_main quentry_guitestmain)
  else()
    set(test_main quentry_testmain)
  endif()
  target_link_libraries(${name} PRIVATE ${test_main} quentry_testsupport GTest::gtest ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# quentry_add_fuzzer(<name> SOURCES ... LIBS ...)
function(quentry_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
endfunction()
