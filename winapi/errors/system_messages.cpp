#include "winapi/errors/system_messages.h"

#include <utility>

#include "winapi/errors/errors.h"

namespace win32_layer {
namespace {

// Every code that the layer's headers declare needs a text here; the messages test finds them.
constexpr std::pair<DWORD, const char*> kMessages[] = {
    {ERROR_SUCCESS, "The operation succeeded.\r\n"},
    {ERROR_INVALID_FUNCTION, "The function is not valid for this object.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The file could not be found.\r\n"},
    {ERROR_PATH_NOT_FOUND, "A directory along the path does not exist.\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, "Too many files are open at once.\r\n"},
    {ERROR_ACCESS_DENIED, "Permission for the operation was refused.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle does not name an open object of the right kind.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY, "Memory ran out before the operation could complete.\r\n"},
    {ERROR_INVALID_DATA, "The data is not in a form that can be used.\r\n"},
    {ERROR_NOT_SAME_DEVICE, "Source and target lie on different volumes.\r\n"},
    {ERROR_WRITE_PROTECT, "The volume can only be read.\r\n"},
    {ERROR_GEN_FAILURE, "The operation failed for an unspecified reason.\r\n"},
    {ERROR_SHARING_VIOLATION, "The file is in use and cannot be accessed this way.\r\n"},
    {ERROR_HANDLE_EOF, "The end of the file was reached.\r\n"},
    {ERROR_NOT_SUPPORTED, "This operation is not available here.\r\n"},
    {ERROR_BAD_NETPATH, "The path names a network share, which cannot be reached.\r\n"},
    {ERROR_FILE_EXISTS, "A file of that name is already present.\r\n"},
    {ERROR_INVALID_PARAMETER, "An argument is not valid.\r\n"},
    {ERROR_BROKEN_PIPE, "The other end of the pipe has been closed.\r\n"},
    {ERROR_DISK_FULL, "The volume has no space left.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The buffer is too small for the result.\r\n"},
    {ERROR_INVALID_NAME, "The name or path is not written in a form that is accepted.\r\n"},
    {ERROR_MOD_NOT_FOUND, "No module of that name is loaded or can be found.\r\n"},
    {ERROR_PROC_NOT_FOUND, "The module has no entry point of that name.\r\n"},
    {ERROR_NEGATIVE_SEEK, "The file position would fall before the start of the file.\r\n"},
    {ERROR_DIR_NOT_EMPTY, "The directory still holds entries.\r\n"},
    {ERROR_BUSY, "The resource is busy.\r\n"},
    {ERROR_ALREADY_EXISTS, "An object of that name is already present.\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, "The name or path exceeds the length limit.\r\n"},
    {ERROR_FILE_TOO_LARGE, "The file would grow beyond the largest size allowed.\r\n"},
    {ERROR_MORE_DATA, "More data is waiting than the buffer can hold.\r\n"},
    {ERROR_DIRECTORY, "The name does not refer to a directory.\r\n"},
    {ERROR_MR_MID_NOT_FOUND, "No text exists for this message number.\r\n"},
    {ERROR_INVALID_FLAGS, "A combination of flags was given that is not valid.\r\n"},
    {ERROR_NO_UNICODE_TRANSLATION, "The text holds a character that cannot be converted.\r\n"},
    {ERROR_IO_DEVICE, "A device reported an input or output fault.\r\n"},
    {ERROR_NOT_ALL_ASSIGNED, "Some of the requested privileges are not held by the caller.\r\n"},
    {ERROR_UNKNOWN_REVISION, "The structure carries a revision level that is not understood.\r\n"},
    {ERROR_INVALID_OWNER, "The owner cannot be set to that account.\r\n"},
    {ERROR_INVALID_PRIMARY_GROUP, "The owning group cannot be set to that group.\r\n"},
    {ERROR_NO_SUCH_PRIVILEGE, "No privilege of that name exists.\r\n"},
    {ERROR_NONE_MAPPED, "No account matches the name that was given.\r\n"},
    {ERROR_INVALID_ACL, "The access list is malformed.\r\n"},
    {ERROR_INVALID_SID, "The security identifier is malformed.\r\n"},
    {ERROR_INVALID_SECURITY_DESCR, "The security descriptor is malformed.\r\n"},
    {ERROR_ALLOTTED_SPACE_EXCEEDED, "The access list has no room left for another entry.\r\n"},
    {ERROR_INTERNAL_ERROR, "The system met a fault in its own workings.\r\n"},
    {ERROR_CLASS_ALREADY_EXISTS, "A window class of that name is already registered.\r\n"},
    {ERROR_NO_SYSTEM_RESOURCES, "The system lacks the resources to complete the operation.\r\n"},
    {ERROR_RESOURCE_DATA_NOT_FOUND, "The module holds no resources.\r\n"},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, "The module holds no resource of that type.\r\n"},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "No message exists in the requested language.\r\n"},
    {ERROR_CANT_RESOLVE_FILENAME, "Too many symbolic links had to be followed for the name.\r\n"},
    {WSAEFAULT, "An address handed to the network service is not usable.\r\n"},
    {WSAENOBUFS, "The buffer is too small for what the network service returns.\r\n"},
    {WSAVERNOTSUPPORTED, "The network service does not offer the requested version.\r\n"},
    {WSANOTINITIALISED, "The network service has not been started in this process.\r\n"},
    {static_cast<DWORD>(NTE_BAD_DATA), "The sealed data was altered or damaged.\r\n"},
    {static_cast<DWORD>(NTE_BAD_KEY_STATE),
     "The data was sealed with another machine key than this computer's.\r\n"},
    {static_cast<DWORD>(NTE_BAD_KEYSET), "This computer has no machine key.\r\n"},
    {static_cast<DWORD>(NTE_KEYSET_ENTRY_BAD),
     "The machine key file is damaged or open to other accounts, and is not used.\r\n"},
};

} // namespace

const char* SystemMessageText(DWORD code) {
    for (const auto& [number, text] : kMessages) {
        if (number == code) {
            return text;
        }
    }
    return nullptr;
}

} // namespace win32_layer
