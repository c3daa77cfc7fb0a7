# Checks the declared order of libraries and of the rooms inside them:
# a file may include headers of its own room, of lower rooms of its own
# library, and of lower libraries, never anything higher. Every source of a
# library with rooms must sit in one of them.
#
# Run as: cmake -DSOURCE_DIR=<src> -DLIBRARIES=a,b,... -DROOMS_<lib>=r1,r2
#         -P CheckRooms.cmake
# (the build passes these from the declarations in CMakeLists.txt).

# Lists arrive joined with commas (a semicolon would split the test's command).
string(REPLACE "," ";" LIBRARIES "${LIBRARIES}")
foreach(lib IN LISTS LIBRARIES)
    string(REPLACE "," ";" ROOMS_${lib} "${ROOMS_${lib}}")
endforeach()

set(problems "")
set(lib_index 0)
foreach(lib IN LISTS LIBRARIES)
    set(rank_of_lib_${lib} ${lib_index})
    math(EXPR lib_index "${lib_index} + 1")
endforeach()

foreach(lib IN LISTS LIBRARIES)
    set(rooms "${ROOMS_${lib}}")
    file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}/${lib}" "${SOURCE_DIR}/${lib}/*.h" "${SOURCE_DIR}/${lib}/*.cpp")
    foreach(rel IN LISTS files)
        set(room_rank -1)
        if(rooms)
            string(REGEX MATCH "^[^/]+/" first "${rel}")
            string(REGEX REPLACE "/$" "" first "${first}")
            list(FIND rooms "${first}" room_rank)
            if(room_rank EQUAL -1)
                if(NOT rel STREQUAL "main.cpp")
                    string(APPEND problems "src/${lib}/${rel}: not in one of the rooms of ${lib} (${rooms})\n")
                endif()
                continue()
            endif()
        endif()
        file(STRINGS "${SOURCE_DIR}/${lib}/${rel}" includes REGEX "^#include \"[a-z]+/")
        foreach(line IN LISTS includes)
            string(REGEX MATCH "^#include \"([a-z]+)/([^\"]+)\"" _ "${line}")
            set(target_lib "${CMAKE_MATCH_1}")
            set(target_path "${CMAKE_MATCH_2}")
            if(NOT DEFINED rank_of_lib_${target_lib})
                continue()
            endif()
            if(rank_of_lib_${target_lib} GREATER rank_of_lib_${lib})
                string(APPEND problems "src/${lib}/${rel}: includes ${target_lib}/${target_path}, a higher library\n")
                continue()
            endif()
            if(NOT target_lib STREQUAL lib OR NOT rooms)
                continue()
            endif()
            string(REGEX MATCH "^[^/]+/" target_room "${target_path}")
            string(REGEX REPLACE "/$" "" target_room "${target_room}")
            list(FIND rooms "${target_room}" target_rank)
            if(target_rank EQUAL -1)
                string(APPEND problems "src/${lib}/${rel}: includes ${lib}/${target_path}, which is in no room\n")
            elseif(target_rank GREATER room_rank)
                string(APPEND problems "src/${lib}/${rel}: includes ${lib}/${target_path}, a higher room\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(problems)
    message(FATAL_ERROR "Includes against the declared order:\n${problems}")
endif()
message(STATUS "Every include follows the declared order of libraries and rooms.")
