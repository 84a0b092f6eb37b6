// Arbitrary bytes as a client's connection to the page, through httplib's parsing and the
// page's answers as the server's sockets get them, for a page served on loopback and one
// served to the network. Each answer is well formed, with a status the page gives (an
// exception would show as httplib's 500) and a body as long as its Content-Length, or none
// (HEAD); the two answers differ only by the loopback page's 421 to a foreign Host.
// httplib's parser itself is Debian's shared library: run, but without coverage or sanitizers.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "web/page_server.h"

namespace stillmon::fuzz {
namespace {

PageAnswers& page_answers() {
    static LiveView view(16);
    static PageAnswers answers(view, {true, "3", "port 3", 2.0}, [] { return 10.0; }, {});
    return answers;
}

int checked_status(std::string_view sent) {
    while (sent.starts_with("HTTP/1.1 100 ") || sent.starts_with("HTTP/1.1 417 ")) {
        sent.remove_prefix(std::min(sent.size(), sent.find("\r\n\r\n") + 4));  // interim
    }
    const auto head_end = sent.find("\r\n\r\n");
    const auto length_at = sent.find("\r\nContent-Length: ");
    require(sent.starts_with("HTTP/1.1 ") && sent.size() > 12 && head_end != sent.npos &&
                length_at < head_end,
            "a status line, a Content-Length and a blank line");
    const int status = std::stoi(std::string(sent.substr(9, 3)));
    require(std::set{200, 400, 404, 405, 413, 414, 416, 421, 431, 503}.contains(status),
            "a status the page gives");
    const std::size_t length = std::stoul(std::string(sent.substr(length_at + 18)));
    const std::size_t body = sent.size() - head_end - 4;
    require(body == length || body == 0, "the body as long as Content-Length says, or none");
    return status;
}

}  // namespace
}  // namespace stillmon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stillmon;
    const std::string_view request(reinterpret_cast<const char*>(data), size);
    const std::string on_loopback =
        answer_request_bytes(fuzz::page_answers(), "127.0.0.1", request);
    const std::string on_network = answer_request_bytes(fuzz::page_answers(), "0.0.0.0", request);
    fuzz::require(on_loopback.empty() == request.empty(), "an answer to anything sent");
    if (!request.empty()) {
        const int loopback_status = fuzz::checked_status(on_loopback);
        fuzz::require(fuzz::checked_status(on_network) != 421, "any Host on the network");
        fuzz::require(loopback_status == 421 || on_loopback == on_network,
                      "the same answer on loopback but for a foreign Host");
    }
    return 0;
}
