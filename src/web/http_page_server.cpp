#include <httplib.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "web/page_server.h"

namespace stillmon {

namespace {

// The bytes of the head as sent, give or take the blanks around each header's colon.
std::size_t head_bytes(const httplib::Request& request) {
    std::size_t bytes = request.method.size() + request.target.size() + request.version.size() + 4;
    for (const auto& [name, value] : request.headers) {
        bytes += name.size() + value.size() + 4;
    }
    return bytes + 2;
}

bool has_body(const httplib::Request& request) {
    const std::string length = request.get_header_value("Content-Length");
    return (!length.empty() && length != "0") || request.has_header("Transfer-Encoding");
}

PageRequest page_request(const httplib::Request& request) {
    PageRequest page;
    page.method = request.method;
    page.path = request.path;
    if (request.has_param("since")) {
        page.since = request.get_param_value("since");
    }
    page.head_bytes = head_bytes(request);
    page.has_body = has_body(request);
    return page;
}

// httplib compresses what it sends in the best encoding the client accepts, brotli first, at
// brotli's slowest quality: 360 ms of CPU for the page, milliseconds for each small answer,
// a whole percent of a core for one open page. It has no switch for that, so the client is
// taken to accept gzip at most (8 ms for the page, a tenth of one for an answer). The request
// is httplib's own object, not a constant one, which is what makes the change defined.
void accept_gzip_at_most(const httplib::Request& request) {
    auto& headers = const_cast<httplib::Request&>(request).headers;
    const bool gzip = request.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
    headers.erase("Accept-Encoding");
    if (gzip) {
        headers.emplace("Accept-Encoding", "gzip");
    }
}

// httplib answers a Range header listing many ranges with a body of every range it names,
// built in memory: a header of a few kilobytes asks for gigabytes. The pages are small and
// change every cycle, so no range is served: every answer is the whole one.
void serve_no_ranges(const httplib::Request& request) {
    auto& own = const_cast<httplib::Request&>(request);
    own.ranges.clear();
    own.headers.erase("Range");
}

// httplib's own options set SO_REUSEPORT on Linux, under which a second run binds the same
// port without a word and the kernel deals the clients out between the two. SO_REUSEADDR
// alone still lets a new run take the port back from connections that are closing. Windows
// needs SO_EXCLUSIVEADDRUSE for the same, which httplib's own options set.
void hold_the_port_alone(socket_t socket) {
#ifdef _WIN32
    httplib::default_socket_options(socket);
#else
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
}

class HttpPageServer final : public PageServer {
  public:
    explicit HttpPageServer(PageAnswers& answers) {
        server_.new_task_queue = [] { return new httplib::ThreadPool(worker_count); };
        server_.set_socket_options(hold_the_port_alone);
        server_.set_read_timeout(read_timeout_s, 0);
        server_.set_write_timeout(write_timeout_s, 0);
        // httplib waits for a connection's next request in a loop that wakes every 10 ms, a
        // worker's for each idle connection a browser keeps: one request per connection
        // leaves no connection idle. The first request is awaited for first_request_s.
        server_.set_keep_alive_max_count(1);
        server_.set_keep_alive_timeout(first_request_s);
        // Every request is answered before routing: httplib's own routes would read a body
        // first, and know nothing of 405.
        server_.set_pre_routing_handler(
            [&answers](const httplib::Request& request, httplib::Response& response) {
                const PageAnswer answer = answers.answer(page_request(request));
                accept_gzip_at_most(request);
                serve_no_ranges(request);
                response.status = answer.status;
                for (const auto& [name, value] : answer.headers) {
                    response.set_header(name, value);
                }
                if (has_body(request)) {
                    // The body is never read: the connection cannot carry another request.
                    response.set_header("Connection", "close");
                }
                response.set_content(*answer.body, answer.content_type);
                return httplib::Server::HandlerResponse::Handled;
            });
    }

    ~HttpPageServer() override { stop(); }

    bool bind(const ServeAddress& address, std::string& why_not) {
        errno = 0;
        port_ = address.port == 0
                    ? server_.bind_to_any_port(address.host)
                    : (server_.bind_to_port(address.host, address.port) ? address.port : -1);
        if (port_ <= 0) {
            why_not = errno != 0 ? std::strerror(errno) : "the address cannot be bound";
            return false;
        }
        return true;
    }

    void listen(const ThreadStarter& start) {
        listener_ = start([this] { server_.listen_after_bind(); });
    }

    int port() const override { return port_; }

    void stop() override {
        server_.stop();
        if (listener_.joinable()) {
            listener_.join();
        }
    }

  private:
    httplib::Server server_;
    std::thread listener_;
    int port_ = -1;
};

}  // namespace

std::unique_ptr<PageServer> start_page_server(const ServeAddress& address, PageAnswers& answers,
                                              const ThreadStarter& start, std::string& why_not) {
    auto server = std::make_unique<HttpPageServer>(answers);
    if (!server->bind(address, why_not)) {
        return nullptr;
    }
    server->listen(start);
    return server;
}

}  // namespace stillmon
