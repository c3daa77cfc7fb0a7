# Build conventions shared by every subsystem: one folder, one static library,
# sources found by globbing so that adding a file needs no CMake edit.

set(REZ_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

function(rez_common_options target)
    target_compile_options(${target} PRIVATE ${REZ_WARNINGS})
    if(REZ_CHECKS)
        target_compile_definitions(${target} PUBLIC REZ_CHECKS=1)
    endif()
endfunction()

if(REZ_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# add_subsystem(name DEPENDS lib... [ROOMS room...])
# Builds src/<name>/**/*.cpp into the static library <name>. A folder with no
# sources yet becomes an interface library so later subsystems can depend on it.
# ROOMS declares the sub-folders of the library from the lowest to the
# highest; the include-order test holds the code to that order, as it holds
# the libraries to the order of their declarations.
function(add_subsystem name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;ROOMS" ${ARGN})
    set_property(GLOBAL APPEND PROPERTY REZ_LIBRARIES ${name})
    string(REPLACE ";" "," rooms "${ARG_ROOMS}")
    set_property(GLOBAL PROPERTY REZ_ROOMS_${name} "${rooms}")
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        "${CMAKE_SOURCE_DIR}/src/${name}/*.cpp"
        "${CMAKE_SOURCE_DIR}/src/${name}/*.c")
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}/src")
        target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
        rez_common_options(${name})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE "${CMAKE_SOURCE_DIR}/src")
        target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    endif()
endfunction()

# add_subsystem_tests(name): tests/<name>/*.cpp into one binary <name>_tests.
# Every test sees REZ_CORPUS_DIR (the shared real-world documents) and
# REZ_TEST_DATA_DIR (small fixtures kept in tests/data).
function(add_subsystem_tests name)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${name}/*.cpp")
    if(NOT sources)
        return()
    endif()
    add_executable(${name}_tests ${sources})
    target_link_libraries(${name}_tests PRIVATE ${name} rez_testsupport GTest::gmock_main)
    target_compile_definitions(${name}_tests PRIVATE
        REZ_CORPUS_DIR="${REZ_CORPUS_DIR}"
        REZ_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
    rez_common_options(${name}_tests)
    gtest_discover_tests(${name}_tests
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${name} ENVIRONMENT "REZ_HEADLESS=1")
endfunction()

# add_subsystem_bench(name): bench/<name>/*.cpp into one binary <name>_bench.
function(add_subsystem_bench name)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/bench/${name}/*.cpp")
    if(NOT sources)
        return()
    endif()
    add_executable(${name}_bench ${sources})
    target_link_libraries(${name}_bench PRIVATE ${name} benchmark::benchmark_main)
    target_compile_definitions(${name}_bench PRIVATE REZ_CORPUS_DIR="${REZ_CORPUS_DIR}")
    rez_common_options(${name}_bench)
endfunction()

# add_subsystem_fuzz(name): every fuzz/<name>/<target>.cpp defines
# LLVMFuzzerTestOneInput. Each is always built as fuzz_<target>_replay, which
# runs the inputs kept in tests/data/fuzz/<target>/ once (a CTest test, so
# every crash ever found stays fixed), and with REZ_BUILD_FUZZ (clang) also as
# the libFuzzer binary fuzz_<target>.
function(add_subsystem_fuzz name)
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/fuzz/${name}/*.cpp")
    foreach(src IN LISTS sources)
        get_filename_component(target "${src}" NAME_WE)
        add_executable(fuzz_${target}_replay "${src}" "${CMAKE_SOURCE_DIR}/fuzz/support/ReplayMain.cpp")
        target_link_libraries(fuzz_${target}_replay PRIVATE ${name})
        rez_common_options(fuzz_${target}_replay)
        if(REZ_BUILD_TESTS)
            add_test(NAME fuzz_replay_${target}
                COMMAND fuzz_${target}_replay "${CMAKE_SOURCE_DIR}/tests/data/fuzz/${target}")
            set_tests_properties(fuzz_replay_${target} PROPERTIES LABELS fuzz ENVIRONMENT "REZ_HEADLESS=1")
        endif()
        if(REZ_BUILD_FUZZ)
            add_executable(fuzz_${target} "${src}")
            target_link_libraries(fuzz_${target} PRIVATE ${name})
            target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
            rez_common_options(fuzz_${target})
        endif()
    endforeach()
endfunction()

# add_include_order_test(): one CTest test that fails when a file includes a
# header of a higher library or of a higher room of its own library.
function(add_include_order_test)
    get_property(libraries GLOBAL PROPERTY REZ_LIBRARIES)
    set(args "")
    foreach(lib IN LISTS libraries)
        get_property(rooms GLOBAL PROPERTY REZ_ROOMS_${lib})
        list(APPEND args "-DROOMS_${lib}=${rooms}")
    endforeach()
    string(REPLACE ";" "," libraries "${libraries}")
    add_test(NAME include_order
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}/src "-DLIBRARIES=${libraries}" ${args}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckRooms.cmake)
endfunction()
