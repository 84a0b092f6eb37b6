#pragma once

#include <memory>
#include <string>

#include "base/thread_starter.h"
#include "web/page_answers.h"
#include "web/serve_address.h"

namespace stillmon {

// The page's HTTP server (cpp-httplib, kept inside web/http_page_server.cpp): one listening
// thread and a bounded pool of workers of its own, each request answered by PageAnswers.
// A client that sends nothing, or stops in the middle of its request head, is dropped after
// the read time-out.
class PageServer {
  public:
    static constexpr int worker_count = 8;
    static constexpr int read_timeout_s = 3;
    static constexpr int write_timeout_s = 5;
    static constexpr int first_request_s = 2;  // a client that sends nothing is dropped then

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

}  // namespace stillmon
