add_executable(bench_device ${CMAKE_CURRENT_SOURCE_DIR}/device_bench.cpp)
target_link_libraries(bench_device PRIVATE quentry_device benchmark::benchmark)
