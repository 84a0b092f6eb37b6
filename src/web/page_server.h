#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/thread_starter.h"
#include "web/page_answers.h"
#include "web/serve_address.h"

namespace stillmon {

// The page's HTTP server (cpp-httplib, kept inside web/http_page_server.cpp): one listening
// thread and a bounded pool of workers of its own, each request answered by PageAnswers.
// Whatever clients do, it holds at most connection_limit sockets; a connection whose request
// head has not all arrived request_s after it was accepted (nothing sent, or a byte now and
// then) is dropped, and so is one whose answer is not taken within answer_s.
class PageServer {
  public:
    static constexpr int worker_count = 8;
    // Connections held at once, queued or being answered; one more is closed as soon as it is
    // accepted. The run needs a few dozen descriptors of the usual 1024 (logs, the serial
    // device and its re-opens, the display): 64 leaves it hundreds whatever clients do. It is
    // still three times the 20 polling clients the page is measured with, or ten browsers
    // each opening its six connections at once.
    static constexpr int connection_limit = 64;
    // The whole request head within this of the connection's accept, however it trickles in:
    // a browser sends it in one packet.
    static constexpr int request_s = 4;
    // The whole answer sent within this of its first byte (each send also gives up after
    // write_timeout_s).
    static constexpr int answer_s = 10;
    static constexpr int write_timeout_s = 5;

    virtual ~PageServer() = default;
    // The port it listens on (the one the system chose, for port 0).
    virtual int port() const = 0;
    // Stops listening and waits for the workers; for tests and benchmarks, as the program
    // itself ends without unwinding.
    virtual void stop() = 0;
};

// Binds the address and starts the listening thread through `start`. Null when the address
// cannot be bound; `why_not` says why.
std::unique_ptr<PageServer> start_page_server(const ServeAddress& address, PageAnswers& answers,
                                              const ThreadStarter& start, std::string& why_not);

// start_page_server, or another for a test.
using PageServerStarter =
    std::function<std::unique_ptr<PageServer>(const ServeAddress& address, PageAnswers& answers,
                                              const ThreadStarter& start, std::string& why_not)>;

// The bytes the server sends back on a connection whose client sent `request` and then
// nothing, through the same parsing and handling as a socket's, for a page served on
// `served_host`: for the fuzz target.
std::string answer_request_bytes(PageAnswers& answers, const std::string& served_host,
                                 std::string_view request);

}  // namespace stillmon
