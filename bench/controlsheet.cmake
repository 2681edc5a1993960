# Responsiveness of the Logger Control Sheet during a full read, image save and load and
# both exports (an event-loop probe; a plain program, run by ./dev bench).
if(TARGET quentry_controlsheet)
  add_executable(bench_controlsheet
    ${CMAKE_CURRENT_LIST_DIR}/controlsheet_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/eventloopprobe.cpp
    ${PROJECT_SOURCE_DIR}/tests/app/controlsheet/sheetrig.cpp)
  target_include_directories(bench_controlsheet PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${PROJECT_SOURCE_DIR}/tests/app/controlsheet)
  target_link_libraries(bench_controlsheet PRIVATE quentry_controlsheet quentry_emulator Qt6::Widgets)
  set_target_properties(bench_controlsheet PROPERTIES AUTOMOC OFF)
endif()
