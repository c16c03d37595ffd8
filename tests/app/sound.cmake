marbrix_test(app_sound_test SOURCES SoundManager_test.cpp LIBS PkgConfig::SDL PkgConfig::SDL_MIXER marbrix_app TIMEOUT 120)

# Checks the files sfxgen writes into the runtime dir, so building the test
# generates them.
marbrix_test(app_sound_assets_test SOURCES SoundAssets_test.cpp LIBS PkgConfig::SDL PkgConfig::SDL_MIXER marbrix_app TIMEOUT 120)
add_dependencies(app_sound_assets_test data_sfx)
# Sound files with headers SDL cannot be trusted with, and odd files on disk.
marbrix_test(app_bad_sounds_test SOURCES BadSounds_test.cpp LIBS PkgConfig::SDL PkgConfig::SDL_MIXER marbrix_app TIMEOUT 120)
