# The decoders live in quentry_device: instrument it too, so coverage guides the fuzzer
# through them and the sanitizers watch them.
target_compile_options(quentry_device PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
quentry_add_fuzzer(fuzz_device_rows SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/device_rows_fuzz.cpp LIBS quentry_device)
