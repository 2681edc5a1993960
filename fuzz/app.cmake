# The files the shell reads from outside: log images and the settings file.
quentry_add_fuzzer(fuzz_imageload SOURCES ${CMAKE_CURRENT_LIST_DIR}/imageload_fuzz.cpp LIBS quentry_appcore)
quentry_add_fuzzer(fuzz_settings SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_fuzz.cpp LIBS quentry_appcore)
set_target_properties(fuzz_imageload fuzz_settings PROPERTIES AUTOMOC OFF)
