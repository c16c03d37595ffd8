marbrix_test(persist_text_test
  SOURCES WideString_test.cpp Utf16File_test.cpp TextTable_test.cpp
  LIBS marbrix_persist)
marbrix_test(persist_settings_test
  SOURCES UserFolder_test.cpp Settings_test.cpp PlayerNames_test.cpp
  LIBS marbrix_persist)
