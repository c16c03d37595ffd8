# Writes the start-up config.ini at OUT unless a file is already there.
if(NOT EXISTS "${OUT}")
  file(WRITE "${OUT}" "[Path]\nGamePath=./\n\n[Game]\nLang=en\n")
endif()
