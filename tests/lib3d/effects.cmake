marbrix_test(lib3d_effects_test SOURCES Effects_test.cpp EffectsTestSupport.cpp EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d marbrix_logo_scripts PNG::PNG DISPLAY)
# The same tests on a device with one texture stage and no pixel shaders.
marbrix_test(lib3d_effects_lowcaps_test SOURCES Effects_test.cpp EffectsTestSupport.cpp
             EngineTestSupport.cpp LIBS PkgConfig::SDL marbrix_lib3d marbrix_logo_scripts PNG::PNG
             DISPLAY)
set_property(TEST lib3d_effects_lowcaps_test APPEND PROPERTY ENVIRONMENT MARBRIX_DEVICE_CAPS=dot3)
marbrix_test(lib3d_effects16_test SOURCES Effects16_test.cpp EffectsTestSupport.cpp
             EngineTestSupport.cpp LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY16)
marbrix_test(lib3d_builtin_effects_test SOURCES BuiltinEffects_test.cpp LIBS marbrix_lib3d)
marbrix_test(lib3d_mesh_paths_test SOURCES MeshPaths_test.cpp EffectsTestSupport.cpp
             EngineTestSupport.cpp LIBS PkgConfig::SDL marbrix_lib3d marbrix_logo_scripts PNG::PNG
             DISPLAY)
marbrix_test(lib3d_effects_demo_test SOURCES EffectsDemo_test.cpp EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY)
target_compile_definitions(lib3d_effects_demo_test PRIVATE ENGINEDEMO_PATH="$<TARGET_FILE:enginedemo>")
add_dependencies(lib3d_effects_demo_test enginedemo)
