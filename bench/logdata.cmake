# Image files, exports and the log table conversion on a full logger.
add_executable(bench_logdata ${CMAKE_CURRENT_LIST_DIR}/logdata_bench.cpp ${PROJECT_SOURCE_DIR}/tests/logdata/testrows.cpp)
target_include_directories(bench_logdata PRIVATE ${PROJECT_SOURCE_DIR}/tests/logdata)
target_link_libraries(bench_logdata PRIVATE quentry_logdata benchmark::benchmark)
set_target_properties(bench_logdata PROPERTIES AUTOMOC OFF) # no QObject here; keeps bench/ free of extra folders
