# Image files, exports and the log table conversion on a full logger.
add_executable(bench_app ${CMAKE_CURRENT_LIST_DIR}/app_bench.cpp ${PROJECT_SOURCE_DIR}/tests/app/testrows.cpp)
target_include_directories(bench_app PRIVATE ${PROJECT_SOURCE_DIR}/tests/app)
target_link_libraries(bench_app PRIVATE quentry_appcore benchmark::benchmark)
set_target_properties(bench_app PROPERTIES AUTOMOC OFF) # no QObject here; keeps bench/ free of extra folders
