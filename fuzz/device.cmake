quentry_add_fuzzer(fuzz_device_rows SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/device_rows_fuzz.cpp LIBS quentry_device)
