# Outside libraries, all from Debian packages installed by scripts/setup.sh.
# Only src/platform may include their headers; the rest of the code sees them
# through the platform layer (zlib, libjpeg and giflib are called by the
# picture and compression code in base, as the codecs they are).

find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
# The drawing layer: fonts through fontconfig and FreeType, rasterising and
# regions through Cairo.
pkg_check_modules(DRAWING REQUIRED IMPORTED_TARGET cairo cairo-ft freetype2 fontconfig)
# Keyboard layouts, compiled from the XKB data without a display.
pkg_check_modules(XKBCOMMON REQUIRED IMPORTED_TARGET xkbcommon)

# The codecs the picture and compression code in base calls.
find_package(JPEG REQUIRED)
find_library(GIF_LIBRARY gif REQUIRED)
add_library(rez_deps_codecs INTERFACE)
target_link_libraries(rez_deps_codecs INTERFACE ZLIB::ZLIB JPEG::JPEG ${GIF_LIBRARY})

# The desktop: windows, input and screens through the Qt 6 GUI module (no
# Qt Widgets). Only src/platform/qt/ includes Qt headers.
find_package(Qt6 REQUIRED COMPONENTS Gui)

add_library(rez_deps_platform INTERFACE)
target_link_libraries(rez_deps_platform INTERFACE PkgConfig::ICU PkgConfig::DRAWING PkgConfig::XKBCOMMON Threads::Threads
    Qt6::Gui)

if(REZ_BUILD_TESTS)
    find_package(GTest REQUIRED)
endif()
if(REZ_BUILD_TESTS OR REZ_BUILD_BENCH)
    # libpng is the reference decoder of the PNG tests and benchmark only;
    # no library of the program links it.
    find_package(PNG REQUIRED)
endif()
if(REZ_BUILD_BENCH)
    find_package(benchmark REQUIRED)
    # Only the drawing benchmark links Pango, to compare our text path with it.
    pkg_check_modules(PANGO IMPORTED_TARGET pangocairo pangoft2)
endif()
