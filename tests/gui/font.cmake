marbrix_test(gui_atlas_test SOURCES GuiTextAtlas_test.cpp LIBS marbrix_gui)
marbrix_test(gui_font_test SOURCES GuiFont_test.cpp LIBS marbrix_gui)
