# The PNG codec. zlib and libpng are linked here only as independent oracles.
marbrix_test(image_png_test
  SOURCES Png_test.cpp PngRead_test.cpp Deflate_test.cpp Inflate_test.cpp PngOracle.cpp
  LIBS marbrix_image ZLIB::ZLIB PNG::PNG)
# Picture files that are odd on disk (links, FIFOs, killed writes), and every
# PNG kind through every picture loader.
marbrix_test(image_badfiles_test SOURCES BadFiles_test.cpp PngOracle.cpp
  LIBS marbrix_image ZLIB::ZLIB PNG::PNG TIMEOUT 120)
