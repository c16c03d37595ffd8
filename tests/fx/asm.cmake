marbrix_test(fx_asm_test SOURCES ShaderAsm_test.cpp LIBS marbrix_fx)
