#include <httplib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "web/http_socket.h"
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

PageRequest page_request(const httplib::Request& request, const std::string& served_host) {
    PageRequest page;
    page.method = request.method;
    page.path = request.path;
    if (request.has_param("since")) {
        page.since = request.get_param_value("since");
    }
    page.head_bytes = head_bytes(request);
    page.has_body = has_body(request);
    if (request.has_header("Host")) {
        page.host = request.get_header_value("Host");
    }
    page.served_host = served_host;
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

using Clock = std::chrono::steady_clock;

// One connection's socket as httplib reads and writes it. httplib's own times out each read
// on its own, so a byte every few seconds held a worker for as long as the client liked; here
// the whole request head has one deadline, and the whole answer another.
class DeadlineStream final : public httplib::Stream {
  public:
    DeadlineStream(socket_t socket, Clock::time_point head_by)
        : socket_(socket), head_by_(head_by) {}

    bool is_readable() const override { return wait_for(socket_, SocketWait::readable, head_by_); }
    bool is_writable() const override {
        if (!answer_by_) {
            answer_by_ = Clock::now() + std::chrono::seconds(PageServer::answer_s);
        }
        return wait_for(socket_, SocketWait::writable, *answer_by_);
    }

    // Buffered: httplib reads the head a byte at a time.
    ssize_t read(char* ptr, size_t size) override {
        if (taken_ == filled_) {
            if (!is_readable()) {
                return -1;
            }
            const ssize_t got =
                httplib::detail::read_socket(socket_, buffer_.data(), buffer_.size(), 0);
            if (got <= 0) {
                return got;
            }
            taken_ = 0;
            filled_ = static_cast<std::size_t>(got);
        }
        const std::size_t given = std::min(size, filled_ - taken_);
        std::copy_n(buffer_.begin() + static_cast<std::ptrdiff_t>(taken_), given, ptr);
        taken_ += given;
        return static_cast<ssize_t>(given);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) {
            return -1;
        }
        return httplib::detail::send_socket(socket_, ptr, size, 0);
    }

    // Nothing here reads the client's address or the server's.
    void get_remote_ip_and_port(std::string&, int&) const override {}
    void get_local_ip_and_port(std::string&, int&) const override {}
    socket_t socket() const override { return socket_; }

  private:
    socket_t socket_;
    Clock::time_point head_by_;
    mutable std::optional<Clock::time_point> answer_by_;  // from the answer's first byte
    std::array<char, 4096> buffer_{};
    std::size_t taken_ = 0;
    std::size_t filled_ = 0;
};

// A client's bytes from memory, and what the server sends back: the fuzz target's socket.
class MemoryStream final : public httplib::Stream {
  public:
    explicit MemoryStream(std::string_view request) : request_(request) {}

    bool is_readable() const override { return !request_.empty(); }
    bool is_writable() const override { return true; }
    ssize_t read(char* ptr, size_t size) override {
        const std::size_t given = std::min(size, request_.size());
        std::copy_n(request_.begin(), given, ptr);
        request_.remove_prefix(given);
        return static_cast<ssize_t>(given);
    }
    ssize_t write(const char* ptr, size_t size) override {
        sent_.append(ptr, size);
        return static_cast<ssize_t>(size);
    }
    void get_remote_ip_and_port(std::string&, int&) const override {}
    void get_local_ip_and_port(std::string&, int&) const override {}
    socket_t socket() const override { return INVALID_SOCKET; }

    const std::string& sent() const { return sent_; }

  private:
    std::string_view request_;
    std::string sent_;
};

// What the task queue decided about a connection: httplib hands it only a job that calls
// process_and_close_socket, so the decision rides along on the thread that runs the job.
struct Admission {
    Clock::time_point accepted;
    bool refused = false;
};
thread_local const Admission* running_admission = nullptr;

// httplib's pool of workers behind a count of the connections held, queued or being
// answered. httplib accepts every connection and queues it, and a queue without end held
// every descriptor the process may have: beyond the limit a connection is closed at once,
// on the listening thread.
class AdmittingQueue final : public httplib::TaskQueue {
  public:
    void enqueue(std::function<void()> job) override {
        Admission admission{Clock::now(), held_.load() >= PageServer::connection_limit};
        if (admission.refused) {
            run(admission, job);
            return;
        }
        ++held_;
        pool_.enqueue([this, admission, job = std::move(job)] {
            run(admission, job);
            --held_;
        });
    }

    void shutdown() override { pool_.shutdown(); }

  private:
    static void run(const Admission& admission, const std::function<void()>& job) {
        running_admission = &admission;
        job();
        running_admission = nullptr;
    }

    std::atomic<int> held_{0};
    httplib::ThreadPool pool_{PageServer::worker_count};
};

// httplib's server with the page's answers before any routing and its connections under the
// limits above.
class PageHttp final : public httplib::Server {
  public:
    PageHttp(PageAnswers& answers, std::string served_host)
        : answers_(answers), served_host_(std::move(served_host)) {
        new_task_queue = [] { return new AdmittingQueue; };
        set_socket_options(hold_the_port_alone);
        set_write_timeout(PageServer::write_timeout_s, 0);
        // Every request is answered before routing: httplib's own routes would read a body
        // first, and know nothing of 405.
        set_pre_routing_handler(
            [this](const httplib::Request& request, httplib::Response& response) {
                const PageAnswer answer = answers_.answer(page_request(request, served_host_));
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

    // One request on the stream and its answer. Each connection carries one request: a
    // browser keeps idle connections open for the next, each of which would hold a worker.
    void answer_one(httplib::Stream& stream) {
        bool closed = false;
        process_request(stream, true, closed, nullptr);
    }

  private:
    bool process_and_close_socket(socket_t socket) override {
        const Admission* admission = running_admission;
        if (admission && !admission->refused && svr_sock_ != INVALID_SOCKET) {
            DeadlineStream stream(
                socket, admission->accepted + std::chrono::seconds(PageServer::request_s));
            answer_one(stream);
        }
        shut_and_close(socket);
        return true;
    }

    PageAnswers& answers_;
    std::string served_host_;
};

class HttpPageServer final : public PageServer {
  public:
    HttpPageServer(PageAnswers& answers, const std::string& served_host)
        : server_(answers, served_host) {}

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
    PageHttp server_;
    std::thread listener_;
    int port_ = -1;
};

}  // namespace

std::unique_ptr<PageServer> start_page_server(const ServeAddress& address, PageAnswers& answers,
                                              const ThreadStarter& start, std::string& why_not) {
    auto server = std::make_unique<HttpPageServer>(answers, address.host);
    if (!server->bind(address, why_not)) {
        return nullptr;
    }
    server->listen(start);
    return server;
}

std::string answer_request_bytes(PageAnswers& answers, const std::string& served_host,
                                 std::string_view request) {
    PageHttp server(answers, served_host);
    MemoryStream stream(request);
    server.answer_one(stream);
    return stream.sent();
}

}  // namespace stillmon
