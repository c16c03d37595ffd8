# The menu script binding, the menu text file and the shipped menus.
marbrix_test(gui_script_test SOURCES GuiScript_test.cpp LIBS marbrix_gui marbrix_image)
marbrix_test(gui_menutext_test SOURCES GuiMenuText_test.cpp LIBS marbrix_gui)
marbrix_test(gui_menus_test SOURCES Menus_test.cpp LIBS marbrix_gui)
