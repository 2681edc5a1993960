add_executable(bench_emulator ${CMAKE_CURRENT_SOURCE_DIR}/emulator_bench.cpp)
target_link_libraries(bench_emulator PRIVATE quentry_emulator quentry_link benchmark::benchmark Qt6::Core)
