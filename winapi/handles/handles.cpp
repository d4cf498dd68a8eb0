#include "winapi/handles/handles.h"

#include "winapi/internal/handle_table.h"

BOOL CloseHandle(HANDLE handle) {
    return win32_layer::RemoveHandle(handle) != nullptr ? TRUE : FALSE;
}
