marbrix_test(fx_effect_text_test SOURCES EffectText_test.cpp Glsl_test.cpp
             LIBS marbrix_fx marbrix_shaderc marbrix_logo_scripts)
marbrix_test(fx_shader_diff_test SOURCES ShaderDiff_test.cpp
             LIBS marbrix_fx marbrix_shaderc marbrix_logo_scripts marbrix_device PkgConfig::SDL OpenGL::GL DISPLAY)
