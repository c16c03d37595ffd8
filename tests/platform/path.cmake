marbrix_test(platform_path_test SOURCES Path_test.cpp LIBS marbrix_platform)
