marbrix_test(device_conventions_test SOURCES Conventions_test.cpp LIBS marbrix_device)
marbrix_test(device_display_test SOURCES Device_test.cpp LIBS PkgConfig::SDL marbrix_device DISPLAY)
marbrix_test(device_display16_test SOURCES Device16_test.cpp LIBS PkgConfig::SDL marbrix_device DISPLAY16)
