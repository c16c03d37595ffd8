marbrix_test(gui_widgets_test SOURCES GuiWidgets_test.cpp LIBS marbrix_gui)
marbrix_test(gui_manager_test SOURCES GuiManager_test.cpp LIBS marbrix_gui)
marbrix_test(gui_animation_test SOURCES GuiAnimation_test.cpp LIBS marbrix_gui)
marbrix_test(gui_caption_test SOURCES GuiCaption_test.cpp LIBS marbrix_gui)
marbrix_test(gui_scene_test SOURCES GuiScene_test.cpp ../lib3d/EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_gui marbrix_lib3d marbrix_platform PNG::PNG DISPLAY)
marbrix_test(gui_demo_test SOURCES GuiDemo_test.cpp ../lib3d/EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d PNG::PNG DISPLAY TIMEOUT 120)
target_compile_definitions(gui_demo_test PRIVATE GUIDEMO_PATH="$<TARGET_FILE:guidemo>")
add_dependencies(gui_demo_test guidemo)
