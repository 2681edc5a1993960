# The settings file: read from outside at every start.
quentry_add_fuzzer(fuzz_settings SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_fuzz.cpp LIBS quentry_session)
set_target_properties(fuzz_settings PROPERTIES AUTOMOC OFF)
