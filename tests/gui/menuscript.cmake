# The menu script binding, the menu text file and the shipped menus.
marbrix_test(gui_script_test SOURCES GuiScript_test.cpp LIBS marbrix_gui marbrix_image)
marbrix_test(gui_menutext_test SOURCES GuiMenuText_test.cpp LIBS marbrix_gui)
marbrix_test(gui_menus_test SOURCES Menus_test.cpp LIBS marbrix_gui)
marbrix_test(gui_menus_picture_test SOURCES MenusPicture_test.cpp ../lib3d/EngineTestSupport.cpp
             LIBS PkgConfig::SDL marbrix_lib3d marbrix_platform PNG::PNG DISPLAY)
target_compile_definitions(gui_menus_picture_test PRIVATE MENUVIEW_PATH="$<TARGET_FILE:menuview>")
add_dependencies(gui_menus_picture_test menuview)
