#include "foundation/threads/thread_error.h"

namespace WindowsPlatform {

ThreadError::~ThreadError() = default;

} // namespace WindowsPlatform
