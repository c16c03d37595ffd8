# The text-effect generator: the drawing operations on small canvases, the
# script reader and its limits, the tiled picture, and the shipped scripts.
marbrix_test(texteffects_test
  SOURCES Effects_test.cpp Text_test.cpp Script_test.cpp Tiled_test.cpp
  LIBS marbrix_texteffects marbrix_image marbrix_persist)
# The font, the textures and the shipped scripts of the runtime folder.
add_dependencies(texteffects_test data_font data_textures data_texteffect_title
                 data_texteffect_banner)
