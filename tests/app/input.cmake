marbrix_test(app_shell_test SOURCES Shell_test.cpp LIBS marbrix_app)
marbrix_test(app_sdlinput_test SOURCES SdlInput_test.cpp LIBS marbrix_app PkgConfig::SDL DISPLAY TIMEOUT 60)
