#include <poll.h>

#include <cerrno>

#include "web/http_socket.h"

namespace stillmon {

void hold_the_port_alone(socket_t socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

bool wait_for(socket_t socket, SocketWait wait, std::chrono::steady_clock::time_point deadline) {
    const short events = wait == SocketWait::readable ? POLLIN : POLLOUT;
    pollfd polled{socket, events, 0};
    int ready = 0;
    do {
        ready = poll(&polled, 1, milliseconds_until(deadline));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void shut_and_close(socket_t socket) {
    shutdown(socket, SHUT_RDWR);
    httplib::detail::close_socket(socket);
}

}  // namespace stillmon
