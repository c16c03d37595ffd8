marbrix_test(lib3d_texture_image_test SOURCES TextureImage_test.cpp LIBS marbrix_lib3d)
marbrix_test(lib3d_matrix_test SOURCES Matrix_test.cpp LIBS marbrix_lib3d)
marbrix_test(lib3d_engine_test SOURCES Engine_test.cpp EngineTestSupport.cpp
             LIBS marbrix_lib3d PNG::PNG DISPLAY)
marbrix_test(lib3d_engine16_test SOURCES Engine16_test.cpp EngineTestSupport.cpp
             LIBS marbrix_lib3d PNG::PNG DISPLAY16)
