marbrix_test(lib3d_texture_image_test SOURCES TextureImage_test.cpp LIBS marbrix_lib3d)
marbrix_test(lib3d_matrix_test SOURCES Matrix_test.cpp LIBS marbrix_lib3d)
marbrix_test(lib3d_engine_test SOURCES Engine_test.cpp EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY)
marbrix_test(lib3d_engine16_test SOURCES Engine16_test.cpp EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY16)
marbrix_test(lib3d_screenshot32_test SOURCES Screenshot_test.cpp EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY)
marbrix_test(lib3d_screenshot16_test SOURCES Screenshot_test.cpp EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY16)
set_property(TEST lib3d_screenshot16_test APPEND PROPERTY ENVIRONMENT MARBRIX_TEST_COLOUR_MODE=1)
marbrix_test(lib3d_enginedemo_test SOURCES EngineDemo_test.cpp EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY)
target_compile_definitions(lib3d_enginedemo_test PRIVATE ENGINEDEMO_PATH="$<TARGET_FILE:enginedemo>")
add_dependencies(lib3d_enginedemo_test enginedemo)
# Every PNG kind through the engine's two picture-texture paths; the log.
marbrix_test(lib3d_picture_paths_test SOURCES PicturePaths_test.cpp EngineTestSupport.cpp
             ../image/PngOracle.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG ZLIB::ZLIB DISPLAY)
marbrix_test(lib3d_pass_counter_test SOURCES PassCounter_test.cpp LIBS marbrix_lib3d PkgConfig::SDL DISPLAY)
# Screen rectangles, the level occluder and meshes drawn in part: no display.
marbrix_test(lib3d_culling_test SOURCES Culling_test.cpp LIBS marbrix_lib3d)
