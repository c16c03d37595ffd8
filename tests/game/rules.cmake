marbrix_test(game_board_test SOURCES Board_test.cpp LIBS marbrix_game)
marbrix_test(game_rules_test SOURCES Rules_test.cpp Computer_test.cpp LIBS marbrix_game)
marbrix_test(game_controls_test SOURCES PlayControls_test.cpp LIBS marbrix_game)
marbrix_test(game_selfplay_test SOURCES SelfPlay_test.cpp LIBS marbrix_game)
