# The service report of a full logger: the whole quentry-cli report process, the PDF's
# size, and the main window's longest stall while "Service Report..." writes it (a plain
# program, run by ./dev bench).
if(TARGET quentry_window AND TARGET quentry-cli)
  add_executable(bench_report
    ${CMAKE_CURRENT_LIST_DIR}/report_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/eventloopprobe.cpp)
  target_include_directories(bench_report PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(bench_report PRIVATE quentry_window quentry_emulator Qt6::Widgets)
  target_compile_definitions(bench_report PRIVATE QUENTRY_CLI_PROGRAM="$<TARGET_FILE:quentry-cli>")
  add_dependencies(bench_report quentry-cli)
  set_target_properties(bench_report PROPERTIES AUTOMOC OFF)
endif()
