# Outside libraries, all from Debian packages installed by scripts/setup.sh.
# Only src/platform may include their headers; the rest of the code sees them
# through the platform layer (zlib, libjpeg and giflib are called by the
# picture and compression code in base, as the codecs they are).

find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
pkg_check_modules(XKBCOMMON REQUIRED IMPORTED_TARGET xkbcommon)

add_library(rez_deps_platform INTERFACE)
target_link_libraries(rez_deps_platform INTERFACE PkgConfig::ICU PkgConfig::XKBCOMMON Threads::Threads)

if(REZ_BUILD_TESTS)
    find_package(GTest REQUIRED)
endif()
if(REZ_BUILD_BENCH)
    find_package(benchmark REQUIRED)
endif()
