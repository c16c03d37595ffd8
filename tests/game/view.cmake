marbrix_test(game_camera_test SOURCES Camera_test.cpp LIBS marbrix_game)
marbrix_test(game_screen_texts_test SOURCES ScreenTexts_test.cpp LIBS marbrix_game)
