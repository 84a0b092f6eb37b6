#include "web/http_socket.h"

namespace stillmon {

void hold_the_port_alone(socket_t socket) {
    httplib::default_socket_options(socket);
}

bool wait_for(socket_t socket, SocketWait wait, std::chrono::steady_clock::time_point deadline) {
    const short events = wait == SocketWait::readable ? POLLIN : POLLOUT;
    WSAPOLLFD polled{socket, events, 0};
    return WSAPoll(&polled, 1, milliseconds_until(deadline)) > 0;
}

void shut_and_close(socket_t socket) {
    shutdown(socket, SD_BOTH);
    httplib::detail::close_socket(socket);
}

}  // namespace stillmon
