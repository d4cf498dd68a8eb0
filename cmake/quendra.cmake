# The project's build conventions: one static library per folder, the folder dependencies that
# the layering check enforces, and one way to register a test binary.

add_library(quendra_warnings INTERFACE)
target_compile_options(quendra_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror)

# quendra_library(<name> [WHOLE] [SOURCES ...] [DEPENDS <project libraries>...]
#                 [EXTERNAL <other libraries>...])
# DEPENDS is the folder's whole list of allowed project dependencies: the layering check refuses
# an include from any other folder. WHOLE keeps every object of the archive in each program,
# for folders whose start-up objects must run although nothing refers to them. A folder without
# sources, of headers only or provided by the target's system, is an interface library.
function(quendra_library name)
    cmake_parse_arguments(ARG "WHOLE" "" "SOURCES;DEPENDS;EXTERNAL" ${ARGN})
    if(ARG_SOURCES)
        add_library(${name} STATIC ${ARG_SOURCES})
        target_link_libraries(${name} PRIVATE quendra_warnings)
        set(scope PUBLIC)
    else()
        add_library(${name} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} ${scope} ${ARG_DEPENDS} ${ARG_EXTERNAL})
    quendra_declare_folder(${name} ${ARG_DEPENDS})
    if(ARG_WHOLE)
        set_property(GLOBAL APPEND PROPERTY QUENDRA_WHOLE_LIBRARIES ${name})
    endif()
endfunction()

# quendra_declare_folder(<target> <project libraries>...)
# Gives the layering check the folder of the current CMakeLists.txt, which the target builds, and
# the folders of the libraries that it may use.
function(quendra_declare_folder target)
    set(folders "")
    foreach(dependency IN LISTS ARGN)
        get_target_property(folder ${dependency} QUENDRA_FOLDER)
        list(APPEND folders ${folder})
    endforeach()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${target} PROPERTIES QUENDRA_FOLDER ${folder})
    list(JOIN folders "," folders)
    set_property(GLOBAL APPEND PROPERTY QUENDRA_LAYERS "${folder}:${folders}")
endfunction()

# quendra_executable(<name> SOURCES ... DEPENDS <project libraries>...)
# A program that is a folder of its own, its includes checked like a library's.
function(quendra_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quendra_warnings ${ARG_DEPENDS})
    quendra_declare_folder(${name} ${ARG_DEPENDS})
    quendra_program(${name})
endfunction()

# quendra_add_tests(<name> [ANSI_1252_RERUN] [SOURCES ...] [LIBRARIES ...])
# A GoogleTest binary run by CTest, through Wine on the Windows target. ANSI_1252_RERUN runs it
# once more with the Linux layer's ANSI code page set to 1252, which is Wine's own; the default
# there is UTF-8.
function(quendra_add_tests name)
    cmake_parse_arguments(ARG "ANSI_1252_RERUN" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quendra_warnings ${QUENDRA_GTEST_MAIN})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
    quendra_program(${name})
    quendra_register_test(${name} ${name})
    if(ARG_ANSI_1252_RERUN AND NOT CMAKE_CROSSCOMPILING)
        quendra_register_test(${name}_cp1252 ${name})
        set_property(TEST ${name}_cp1252 APPEND PROPERTY
            ENVIRONMENT "QUENDRA_LAYER_ANSI_CODE_PAGE=1252")
    endif()
endfunction()

# The project libraries that a target reaches through its link dependencies.
function(quendra_link_closure target out)
    set(closure ${${out}})
    get_target_property(direct ${target} LINK_LIBRARIES)
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    foreach(library IN LISTS direct interface)
        if(TARGET ${library} AND NOT library IN_LIST closure)
            get_target_property(folder ${library} QUENDRA_FOLDER)
            if(folder)
                list(APPEND closure ${library})
                quendra_link_closure(${library} closure)
            endif()
        endif()
    endforeach()
    set(${out} ${closure} PARENT_SCOPE)
endfunction()

# Links the WHOLE libraries among a program's dependencies whole, once, ahead of the ordinary
# link line: an archive that appears twice within --whole-archive defines its symbols twice,
# which the LINK_LIBRARY feature of this CMake cannot avoid. Called once the program's
# dependencies are all known.
function(quendra_keep_start_up_objects program)
    set(closure "")
    quendra_link_closure(${program} closure)
    get_property(whole GLOBAL PROPERTY QUENDRA_WHOLE_LIBRARIES)
    set(archives "")
    foreach(library IN LISTS whole)
        if(library IN_LIST closure)
            list(APPEND archives "$<TARGET_FILE:${library}>")
        endif()
    endforeach()
    if(archives)
        target_link_options(${program} PRIVATE
            "LINKER:--whole-archive" ${archives} "LINKER:--no-whole-archive")
    endif()
endfunction()

# quendra_program(<target>): for executables made with add_executable.
function(quendra_program program)
    cmake_language(EVAL CODE "
        cmake_language(DEFER DIRECTORY \${PROJECT_SOURCE_DIR}
                       CALL quendra_keep_start_up_objects ${program})")
endfunction()

# quendra_test_sources(<test binary> <library under test> <sources>...)
# For the tests that stand beside a folder's code.
function(quendra_test_sources name library)
    target_sources(${name} PRIVATE ${ARGN})
    target_link_libraries(${name} PRIVATE ${library})
endfunction()

set(QUENDRA_TEST_TIMEOUT 300 CACHE STRING "Seconds after which CTest stops one test binary")

function(quendra_register_test test_name binary)
    add_test(NAME ${test_name} COMMAND ${binary})
    set_tests_properties(${test_name} PROPERTIES TIMEOUT ${QUENDRA_TEST_TIMEOUT})
    if(CMAKE_CROSSCOMPILING)
        set_tests_properties(${test_name} PROPERTIES
            FIXTURES_REQUIRED wine
            RESOURCE_LOCK wine_prefix
            ENVIRONMENT "WINEPREFIX=${QUENDRA_WINEPREFIX};WINEDEBUG=-all")
    endif()
endfunction()

# Runs in every build, so that an include across an undeclared folder edge fails it.
function(quendra_add_layering_check)
    get_property(layers GLOBAL PROPERTY QUENDRA_LAYERS)
    set(layers_file ${CMAKE_BINARY_DIR}/layers.txt)
    list(JOIN layers "\n" text)
    file(WRITE ${layers_file} "${text}\n")
    add_custom_target(layering_check ALL
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DLAYERS=${layers_file}
                -P ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake
        COMMENT "Checking the includes against the folder dependencies"
        VERBATIM)

    # The check on a small tree that breaks an edge inside the layer and reaches past its
    # umbrella header, and only these two.
    set(fixture ${PROJECT_SOURCE_DIR}/cmake/layering_check_fixture)
    add_test(NAME layering_check_refuses_undeclared_edges
        COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${fixture} -DLAYERS=${fixture}/layers.txt
                -P ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake)
    # The check wraps its messages, so a space may come out as a line break.
    string(CONCAT refusals
        "system_messages\\.cpp includes[ \n]+winapi/data_protection/data_protection\\.h.*"
        "file_errors\\.cpp includes[ \n]+winapi/errors/errors\\.h.*"
        "[^0-9]2 include\\(s\\) break")
    set_tests_properties(layering_check_refuses_undeclared_edges PROPERTIES
        PASS_REGULAR_EXPRESSION "${refusals}")
endfunction()

set(QUENDRA_FUZZ_SECONDS 20 CACHE STRING "Seconds that CTest runs each fuzz target")

# quendra_fuzzer(<name> SOURCES ... LIBRARIES ... [CORPUS <folder>] [SEED_VARIABLE <variable>])
# A libFuzzer target, built only in the fuzz configuration. Its CTest run starts from the
# checked-in seeds and writes what it finds into the build tree, never into the seeds.
# Seeds that hold keys are never checked in: with SEED_VARIABLE the run first starts the target
# with that environment variable naming <name>_seeds in the build tree, for it to write them
# there and exit, and then fuzzes over those too.
function(quendra_fuzzer name)
    if(NOT QUENDRA_SANITIZE MATCHES "fuzzer")
        return()
    endif()
    cmake_parse_arguments(ARG "" "CORPUS;SEED_VARIABLE" "SOURCES;LIBRARIES" ${ARGN})
    if(NOT ARG_CORPUS AND NOT ARG_SEED_VARIABLE)
        message(FATAL_ERROR "quendra_fuzzer(${name}) needs CORPUS or SEED_VARIABLE")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quendra_warnings ${ARG_LIBRARIES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    quendra_program(${name})
    # The first folder takes what the run finds.
    set(folders ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
    set(seeds "")
    if(ARG_CORPUS)
        set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_CORPUS})
        list(APPEND folders ${seeds})
    endif()
    set(generated "")
    set(seed_step "")
    # sh -c gets the binary, the seed variable and folder if any, then the folders to fuzz over
    # (the found corpus first) and the time.
    set(fuzz "mkdir -p \"$1\" && exec \"$0\" -timeout=10 \"$@\"")
    if(ARG_SEED_VARIABLE)
        set(generated ${CMAKE_CURRENT_BINARY_DIR}/${name}_seeds)
        list(APPEND folders ${generated})
        set(fuzz "mkdir -p \"$2\" && env \"$1=$2\" \"$0\" && shift 2 && ${fuzz}")
        set(seed_step ${ARG_SEED_VARIABLE} ${generated})
    endif()
    add_test(NAME ${name}
        COMMAND sh -c "${fuzz}" $<TARGET_FILE:${name}> ${seed_step} ${folders}
                -max_total_time=${QUENDRA_FUZZ_SECONDS})
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT ${QUENDRA_TEST_TIMEOUT})
    # For scripts/fuzz: the binary, its seed folder, and the variable and folder of the seeds it
    # writes itself; an empty line for what it lacks.
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzzers/${name}
         CONTENT "$<TARGET_FILE:${name}>\n${seeds}\n${ARG_SEED_VARIABLE}\n${generated}\n")
endfunction()
