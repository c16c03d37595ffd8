marbrix_test(platform_shell_test SOURCES Shell_test.cpp LIBS marbrix_platform)
marbrix_test(platform_sdlinput_test SOURCES SdlInput_test.cpp LIBS marbrix_platform DISPLAY TIMEOUT 60)
