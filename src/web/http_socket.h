#pragma once

#include <httplib.h>

#include <algorithm>
#include <chrono>

namespace stillmon {

// The page server's socket calls, which differ between POSIX and Winsock.

// httplib's own options set SO_REUSEPORT on Linux, under which a second run binds the same
// port without a word and the kernel deals the clients out between the two. SO_REUSEADDR
// alone still lets a new run take the port back from connections that are closing. Windows
// needs SO_EXCLUSIVEADDRUSE for the same, which httplib's own options set.
void hold_the_port_alone(socket_t socket);

// Waits until the socket can be read from (or written to), until `deadline`: false when it
// passes first. A deadline already past still takes what has arrived meanwhile.
enum class SocketWait { readable, writable };
bool wait_for(socket_t socket, SocketWait wait, std::chrono::steady_clock::time_point deadline);

void shut_and_close(socket_t socket);

inline int milliseconds_until(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<decltype(left.count())>(left.count(), 0));
}

}  // namespace stillmon
