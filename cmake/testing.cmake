# One GoogleTest binary per subsystem, run by CTest (through Wine on the Windows target).
if(CMAKE_CROSSCOMPILING)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set(QUENDRA_GTEST_MAIN GTest::gtest_main)
    if(NOT TARGET GTest::gtest_main)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()

    set(QUENDRA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
    set_tests_properties(wine_prefix PROPERTIES
        FIXTURES_SETUP wine
        ENVIRONMENT "WINEPREFIX=${QUENDRA_WINEPREFIX};WINEDEBUG=-all")
else()
    find_package(GTest REQUIRED)
    set(QUENDRA_GTEST_MAIN GTest::gtest_main)
endif()

# quendra_add_tests(<name> SOURCES ... LIBRARIES ...)
function(quendra_add_tests name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} ${QUENDRA_GTEST_MAIN})
    add_test(NAME ${name} COMMAND ${name})
    if(CMAKE_CROSSCOMPILING)
        set_tests_properties(${name} PROPERTIES
            FIXTURES_REQUIRED wine
            ENVIRONMENT "WINEPREFIX=${QUENDRA_WINEPREFIX};WINEDEBUG=-all")
    endif()
endfunction()
