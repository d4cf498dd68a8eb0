// The one header through which the system reaches the Win32 API. On Windows it is the SDK; on
// Linux it is this project's own layer, which declares the subset the system uses.
#pragma once

#if defined(_WIN32)
#include <winsock2.h>

#include <windows.h>

#include <aclapi.h>
#include <process.h>
#include <wincrypt.h>
#else
#include "winapi/code_pages/code_pages.h"
#include "winapi/data_protection/data_protection.h"
#include "winapi/errors/errors.h"
#include "winapi/errors/messages.h"
#include "winapi/files/files.h"
#include "winapi/handles/handles.h"
#include "winapi/modules/modules.h"
#include "winapi/security/security.h"
#include "winapi/sockets/sockets.h"
#include "winapi/system_information/system_information.h"
#include "winapi/threads/synchronisation.h"
#include "winapi/threads/thread_local_storage.h"
#include "winapi/threads/threads.h"
#include "winapi/time/time.h"
#include "winapi/user_interface/user_interface.h"
#endif

#include "winapi/base/win32_types.h"
#include "winapi/threads/thread_naming.h"
