# cmake -DOUTPUT=<header> -DHEADERS=<header;...> -P declared_codes.cmake
# Writes the error codes that the layer's headers declare, so that the messages test asks for a
# text of each one, a code added later included. A code is a constant named as Win32 names them:
# ERROR_*, NTE_* and E_*, and WSA* without an underscore (WSA*_LEN are sizes).
cmake_policy(VERSION 3.25)

set(code_name "(ERROR|NTE|E)_[A-Z0-9_]+|WSA[A-Z0-9]+")
set(declaration "^[ \t]*(inline[ \t]+)?constexpr[ \t]+[A-Za-z_]+[ \t]+(${code_name})[ \t]*=")
set(entries "")
foreach(header IN LISTS HEADERS)
    file(STRINGS ${header} lines REGEX "${declaration}")
    foreach(line IN LISTS lines)
        string(REGEX MATCH "${declaration}" ignored "${line}")
        string(APPEND entries "    {static_cast<DWORD>(${CMAKE_MATCH_2}), \"${CMAKE_MATCH_2}\"},\n")
    endforeach()
endforeach()
if(entries STREQUAL "")
    message(FATAL_ERROR "no error code found in the layer's headers: ${HEADERS}")
endif()

file(WRITE ${OUTPUT} "// Made by the build from the layer's headers.
#pragma once

#include \"winapi/win32.h\"

struct DeclaredCode {
    DWORD code;
    const char* name;
};

inline constexpr DeclaredCode kDeclaredCodes[] = {
${entries}};
")
