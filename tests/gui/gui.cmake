marbrix_test(gui_widgets_test SOURCES GuiWidgets_test.cpp LIBS marbrix_gui)
marbrix_test(gui_manager_test SOURCES GuiManager_test.cpp LIBS marbrix_gui)
marbrix_test(gui_animation_test SOURCES GuiAnimation_test.cpp LIBS marbrix_gui)
marbrix_test(gui_caption_test SOURCES GuiCaption_test.cpp LIBS marbrix_gui)
marbrix_test(gui_scene_test SOURCES GuiScene_test.cpp ../lib3d/EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_gui marbrix_lib3d marbrix_platform PNG::PNG DISPLAY)
