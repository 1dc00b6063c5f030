// Waiting on a socket with a time limit: the one place that calls the system's poll.
#pragma once

namespace store {

enum class SocketEvent { Readable, Writable };

// Waits until the socket is ready for the event or `timeoutMs` pass. True when it is ready
// (or in error, which the next read or write reports); false when the time ran out.
bool waitForSocket(int socket, SocketEvent event, int timeoutMs);

} // namespace store
