quentry_add_fuzzer(fuzz_hart_reply SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/hart_reply_fuzz.cpp LIBS quentry_link)
quentry_add_fuzzer(fuzz_fast_reply SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fast_reply_fuzz.cpp LIBS quentry_link)
