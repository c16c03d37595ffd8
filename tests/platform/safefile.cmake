marbrix_test(platform_safefile_test SOURCES SafeFile_test.cpp LIBS marbrix_platform TIMEOUT 60)
