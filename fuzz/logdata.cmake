# Log images: the files the program reads from outside.
quentry_add_fuzzer(fuzz_imageload SOURCES ${CMAKE_CURRENT_LIST_DIR}/imageload_fuzz.cpp LIBS quentry_logdata)
set_target_properties(fuzz_imageload PROPERTIES AUTOMOC OFF)
