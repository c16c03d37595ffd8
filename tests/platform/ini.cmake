marbrix_test(platform_ini_test SOURCES Ini_test.cpp LIBS marbrix_platform)
