marbrix_test(shaderc_compiler_test SOURCES ShaderCompiler_test.cpp
             LIBS marbrix_shaderc marbrix_fx marbrix_logo_scripts)
