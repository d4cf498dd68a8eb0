#include <memory>
#include <new>

#include "winapi/errors/errors.h"
#include "winapi/internal/signal_object.h"
#include "winapi/threads/synchronisation.h"

namespace {

// A kind of its own, so that SetEvent and ResetEvent refuse thread handles.
class Event final : public win32_layer::SignalObject {
public:
    using SignalObject::SignalObject;
};

BOOL ChangeEvent(HANDLE event, void (Event::*change)()) {
    const auto object = win32_layer::FindHandleOf<Event>(event);
    if (object == nullptr) {
        return FALSE;
    }
    (object.get()->*change)();
    return TRUE;
}

} // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    if (name != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        HANDLE handle = win32_layer::AddHandle(
            std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
        // Windows sets the last error on success as well: 0 for a new event, ERROR_ALREADY_EXISTS
        // for a named one that was there before.
        if (handle != nullptr) {
            SetLastError(ERROR_SUCCESS);
        }
        return handle;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL SetEvent(HANDLE event) {
    return ChangeEvent(event, &Event::Set);
}

BOOL ResetEvent(HANDLE event) {
    return ChangeEvent(event, &Event::Reset);
}
