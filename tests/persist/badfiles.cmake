# Odd things under the names of the player's files: links, FIFOs, leftovers.
marbrix_test(persist_badfiles_test SOURCES BadFiles_test.cpp LIBS marbrix_persist TIMEOUT 60)
