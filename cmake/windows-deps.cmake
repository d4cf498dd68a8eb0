# OpenSSL::Crypto and ICU::uc for the Windows target, from the static libraries that
# scripts/build-windows-deps builds. Their prefix, the last line that script prints, comes from
# the cache variable QUENDRA_WINDOWS_DEPS or, when that is empty, the environment variable.
#
# The targets are defined here because the find modules would leave out what static linking
# needs; find_package(OpenSSL) and find_package(ICU) are then pointed at the same files, and keep
# targets that exist.
set(QUENDRA_WINDOWS_DEPS "" CACHE PATH
    "Prefix printed by scripts/build-windows-deps; empty: the environment variable of that name")
set(_quendra_deps "${QUENDRA_WINDOWS_DEPS}")
if(_quendra_deps STREQUAL "")
    set(_quendra_deps "$ENV{QUENDRA_WINDOWS_DEPS}")
endif()
if(NOT EXISTS "${_quendra_deps}/.complete")
    message(FATAL_ERROR "QUENDRA_WINDOWS_DEPS ('${_quendra_deps}') is not a complete build of "
                        "scripts/build-windows-deps; set it to the last line that script prints.")
endif()

# What the find modules cached for an earlier prefix would outlive it.
if(DEFINED _QUENDRA_DEPS_CACHED AND NOT _QUENDRA_DEPS_CACHED STREQUAL _quendra_deps)
    get_property(_quendra_cached DIRECTORY PROPERTY CACHE_VARIABLES)
    foreach(_quendra_variable IN LISTS _quendra_cached)
        string(FIND "${${_quendra_variable}}" "${_QUENDRA_DEPS_CACHED}/" _quendra_at)
        if(_quendra_at EQUAL 0)
            unset(${_quendra_variable} CACHE)
        endif()
    endforeach()
endif()
set(_QUENDRA_DEPS_CACHED "${_quendra_deps}" CACHE INTERNAL "")

function(_quendra_static_library target file)
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES
        IMPORTED_LOCATION "${_quendra_deps}/lib/${file}"
        INTERFACE_INCLUDE_DIRECTORIES "${_quendra_deps}/include")
endfunction()

_quendra_static_library(OpenSSL::Crypto libcrypto.a)
set_target_properties(OpenSSL::Crypto PROPERTIES
    IMPORTED_LINK_INTERFACE_LANGUAGES C
    INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;advapi32;user32")

# ICU's headers declare its functions dllimport unless told that the library is static.
_quendra_static_library(ICU::data libsicudt.a)
_quendra_static_library(ICU::uc libsicuuc.a)
set_target_properties(ICU::uc PROPERTIES
    IMPORTED_LINK_INTERFACE_LANGUAGES CXX
    INTERFACE_COMPILE_DEFINITIONS U_STATIC_IMPLEMENTATION
    INTERFACE_LINK_LIBRARIES "ICU::data;advapi32")

# The prefix lies outside the toolchain's find root.
list(APPEND CMAKE_FIND_ROOT_PATH "${_quendra_deps}")
set(OPENSSL_ROOT_DIR "${_quendra_deps}")
set(OPENSSL_USE_STATIC_LIBS TRUE)
set(ICU_ROOT "${_quendra_deps}")
# FindICU looks for the "s" that marks static Windows libraries only with MSVC.
set(ICU_UC_LIBRARY_RELEASE "${_quendra_deps}/lib/libsicuuc.a")
