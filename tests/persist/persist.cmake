marbrix_test(persist_text_test
  SOURCES WideString_test.cpp Utf16File_test.cpp TextTable_test.cpp
  LIBS marbrix_persist)
marbrix_test(persist_settings_test
  SOURCES UserFolder_test.cpp Settings_test.cpp PlayerNames_test.cpp
  LIBS marbrix_persist)
# The shipped texts and the tools that make them.
marbrix_test(persist_data_test SOURCES Data_test.cpp LIBS marbrix_persist)
add_dependencies(persist_data_test data textconv)
target_compile_definitions(persist_data_test PRIVATE
  TEXTCONV_PROGRAM="$<TARGET_FILE:textconv>"
  WRITE_CONFIG_SCRIPT="${CMAKE_SOURCE_DIR}/assets/write_config.cmake"
  CMAKE_PROGRAM="${CMAKE_COMMAND}")
