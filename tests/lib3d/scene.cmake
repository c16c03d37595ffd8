# Scenes: .3ds checking and reading, editable geometry, the generated assets.
marbrix_test(lib3d_scene_import
  SOURCES ThreeDsImport_test.cpp ThreeDsCheck_test.cpp Geometry_test.cpp ThreeDsFiles.cpp
  LIBS marbrix_lib3d lib3ds::lib3ds)
marbrix_test(lib3d_scene_peer SOURCES ThreeDsPeer_test.cpp LIBS marbrix_lib3d)
marbrix_test(lib3d_scene_assets SOURCES SceneAssets_test.cpp LIBS marbrix_lib3d PkgConfig::SDL_IMAGE)
marbrix_test(lib3d_scene_display SOURCES Scene_test.cpp ThreeDsFiles.cpp EngineTestSupport.cpp
  LIBS PkgConfig::SDL marbrix_lib3d lib3ds::lib3ds PNG::PNG DISPLAY)
marbrix_test(lib3d_scene_levels SOURCES ThreeDsLevels_test.cpp LIBS marbrix_lib3d)
