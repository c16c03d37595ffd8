marbrix_test(app_logo_test SOURCES LogoTubes_test.cpp LogoSequence_test.cpp LIBS marbrix_app)
# The logo on the test display, on a device without pixel shaders or a
# second texture stage, and on a display of depth 16.
marbrix_test(app_logo_screen_test SOURCES Logo_test.cpp ../lib3d/EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_app PNG::PNG DISPLAY TIMEOUT 180)
add_dependencies(app_logo_screen_test data)
marbrix_test(app_logo_lowcaps_test SOURCES Logo_test.cpp ../lib3d/EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_app PNG::PNG DISPLAY TIMEOUT 180)
set_property(TEST app_logo_lowcaps_test APPEND PROPERTY ENVIRONMENT MARBRIX_DEVICE_CAPS=dot3)
add_dependencies(app_logo_lowcaps_test data)
marbrix_test(app_logo16_test SOURCES Logo_test.cpp ../lib3d/EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_app PNG::PNG DISPLAY16 TIMEOUT 180)
set_property(TEST app_logo16_test APPEND PROPERTY ENVIRONMENT MARBRIX_TEST_COLOUR_MODE=1)
add_dependencies(app_logo16_test data)
