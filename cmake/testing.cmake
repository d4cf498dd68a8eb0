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

    # The tests that share this prefix run one at a time: Wine's data protection keeps its
    # machine key there, and its server is shared.
    set(QUENDRA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
    set_tests_properties(wine_prefix PROPERTIES
        FIXTURES_SETUP wine
        RESOURCE_LOCK wine_prefix
        ENVIRONMENT "WINEPREFIX=${QUENDRA_WINEPREFIX};WINEDEBUG=-all")
else()
    find_package(GTest REQUIRED)
    set(QUENDRA_GTEST_MAIN GTest::gtest_main)
endif()
