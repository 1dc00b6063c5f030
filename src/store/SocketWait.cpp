#include "store/SocketWait.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#include <poll.h>
#endif

namespace store {

bool waitForSocket(int socket, SocketEvent event, int timeoutMs)
{
#ifdef _WIN32
    WSAPOLLFD p{};
    p.fd = SOCKET(socket);
    p.events = event == SocketEvent::Readable ? POLLRDNORM : POLLWRNORM;
    return WSAPoll(&p, 1, timeoutMs) != 0;
#else
    pollfd p{};
    p.fd = socket;
    p.events = event == SocketEvent::Readable ? POLLIN : POLLOUT;
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n >= 0) return n > 0;
        if (errno != EINTR) return true; // let the caller's next call report it
    }
#endif
}

} // namespace store
