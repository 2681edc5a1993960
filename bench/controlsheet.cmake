# Responsiveness of the Logger Control Sheet during a full read, image save and load and
# both exports (an event-loop probe; a plain program, run by ./dev bench).
if(TARGET quentry_controlsheet)
  add_executable(bench_controlsheet
    ${CMAKE_CURRENT_LIST_DIR}/controlsheet_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/eventloopprobe.cpp
    ${PROJECT_SOURCE_DIR}/tests/window/controlsheet/sheetrig.cpp)
  target_include_directories(bench_controlsheet PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/tests/window/controlsheet)
  target_link_libraries(bench_controlsheet PRIVATE quentry_controlsheet quentry_emulator Qt6::Widgets)
  set_target_properties(bench_controlsheet PROPERTIES AUTOMOC OFF)
endif()

# The same phases in the whole main window, with the communication log window shown.
if(TARGET quentry_window)
  add_executable(bench_controlsheet_window
    ${CMAKE_CURRENT_LIST_DIR}/controlsheet_window_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/eventloopprobe.cpp)
  target_include_directories(bench_controlsheet_window PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(bench_controlsheet_window PRIVATE quentry_window quentry_emulator Qt6::Widgets)
  set_target_properties(bench_controlsheet_window PROPERTIES AUTOMOC OFF)
endif()
