# The site history: revisits against the paced virtual transmitter (minutes to run) and a
# history of a million rows.
add_executable(bench_history ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp)
target_link_libraries(bench_history PRIVATE quentry_session quentry_emulator benchmark::benchmark Qt6::Core)
target_compile_definitions(bench_history PRIVATE QUENTRY_CLI_PROGRAM="$<TARGET_FILE:quentry-cli>")
add_dependencies(bench_history quentry-cli)
set_target_properties(bench_history PROPERTIES AUTOMOC OFF)
