# Whole-logger read times against the paced virtual transmitter (minutes to run).
add_executable(bench_logger ${CMAKE_CURRENT_LIST_DIR}/logger_bench.cpp)
target_link_libraries(bench_logger PRIVATE quentry_logger quentry_emulator benchmark::benchmark Qt6::Core)
