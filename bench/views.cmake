# The trend and simulator windows over a full image: chart rebuild and first paint, filter
# changes, generation into the grid, and the event loop's longest stall meanwhile (a plain
# program, run by ./dev bench).
if(TARGET quentry_views)
  add_executable(bench_views
    ${CMAKE_CURRENT_LIST_DIR}/views_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/eventloopprobe.cpp)
  target_include_directories(bench_views PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(bench_views PRIVATE quentry_views)
  set_target_properties(bench_views PROPERTIES AUTOMOC OFF)
endif()
