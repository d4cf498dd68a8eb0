// Conversions between UTF-16 and the multi-byte code pages: UTF-8, Windows-1252 and the ANSI
// code page, which is UTF-8 unless the environment variable QUENDRA_LAYER_ANSI_CODE_PAGE is 1252.
#pragma once

#include "winapi/base/types.h"

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF8 = 65001;

inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
// The layer never puts a look-alike for a missing character, so this changes nothing for 1252.
inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

UINT GetACP();

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH source, int sourceLength,
                        LPWSTR destination, int destinationLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH source, int sourceLength,
                        LPSTR destination, int destinationLength, LPCCH defaultChar,
                        LPBOOL usedDefaultChar);
