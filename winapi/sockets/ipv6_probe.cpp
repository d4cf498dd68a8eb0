#include "winapi/sockets/ipv6_probe.h"

#include <sys/socket.h>
#include <unistd.h>

namespace win32_layer {

bool CanMakeIpv6Socket() {
    const int probe = socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    close(probe);
    return true;
}

} // namespace win32_layer
