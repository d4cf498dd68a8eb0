// Files, directories, moves, temporary files and the module's own path.
//
// On the Linux layer each call keeps its Win32 results and last-error codes; where it cannot do
// what Windows does it refuses:
// - names: Z: is the Linux root and the only drive (others fail with 3); no UNC or \\?\UNC
//   names (53); names are case-sensitive; a lone surrogate, a ':' after the drive and "<>\"|?*"
//   fail with 123, so FindFirstFileW takes one exact name and no wildcards; trailing dots and
//   spaces are kept, not stripped;
// - share modes are whole-file OFD locks that hold between processes: any writer excludes every
//   other reader and writer whatever its share mode allows, a reader shares with readers (even
//   with share mode 0), and a reader that shares writing takes no lock; a move refuses a file
//   that another handle's lock holds (32) unless that handle shares delete;
// - read-only is "no write bit at all" and binds root too; GetFileAttributesW reports ARCHIVE
//   for a plain file, as Windows does for the files it creates, and knows no hidden or system
//   files; a symbolic link reports its target's attributes plus the reparse-point one;
//   SetFileAttributesW changes only the read-only attribute, and nothing on a directory;
// - CreateFileW ignores its flags and attributes and the inheritance in its security
//   attributes: every descriptor is close-on-exec; a directory never opens (5);
// - a FIFO opens at once: for writing without a reader it fails, and a read at its end returns
//   TRUE with 0 bytes rather than failing with 109;
// - GetModuleFileNameW names only the process's own module, as a Z: path;
// - moves sync the source before and the target's directory after, whatever the flags.
#pragma once

#include "winapi/base/types.h"

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;

inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;

inline constexpr DWORD FILE_TYPE_UNKNOWN = 0x0000;
inline constexpr DWORD FILE_TYPE_DISK = 0x0001;
inline constexpr DWORD FILE_TYPE_CHAR = 0x0002;
inline constexpr DWORD FILE_TYPE_PIPE = 0x0003;

inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
inline constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
inline constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

inline constexpr DWORD MAX_PATH = 260;

using PLONG = LONG*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

static_assert(sizeof(WIN32_FIND_DATAW) == 592);

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceLow, PLONG distanceHigh, DWORD method);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
DWORD GetFileType(HANDLE file);

DWORD GetFileAttributesW(LPCWSTR name);
BOOL SetFileAttributesW(LPCWSTR name, DWORD attributes);
HANDLE FindFirstFileW(LPCWSTR name, LPWIN32_FIND_DATAW data);
BOOL FindClose(HANDLE find);
BOOL CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryW(LPCWSTR name);
BOOL DeleteFileW(LPCWSTR name);
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags);
UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR name);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR name, DWORD size);
