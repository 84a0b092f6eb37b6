// Arbitrary bytes as what a client sends on a connection to the page: httplib's parsing of the
// request line and headers, then the page's answers, as the server's sockets get them. Each
// input is answered twice, for a page served on loopback and for one served to the network.
// Whatever comes, the answer is one well-formed HTTP answer with a status the page gives (an
// exception in the answers would show as httplib's 500) and a body as long as its
// Content-Length says, or none (HEAD); the two answers differ only by the loopback page's 421
// to a foreign Host.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "web/live_view.h"
#include "web/page_answers.h"
#include "web/page_server.h"

namespace stillmon::fuzz {
namespace {

PageAnswers& page_answers() {
    static LiveView view(16);
    static PageAnswers answers = [] {
        for (std::uint16_t i = 1; i <= 3; ++i) {
            CycleRecord record;
            record.record_number = i;
            view.publish_cycle(record, i);
        }
        view.publish_picture({2, 1, {0, 1}});
        return PageAnswers(view, {true, "3", "port 3", 2.0}, [] { return 10.0; },
                           [](const WindowPicture&) { return std::optional<std::string>("PNG"); });
    }();
    return answers;
}

// The status of one well-formed answer, after any interim 100 (Continue) or 417 one.
int checked_status(std::string_view sent) {
    while (sent.starts_with("HTTP/1.1 100 ") || sent.starts_with("HTTP/1.1 417 ")) {
        const auto end = sent.find("\r\n\r\n");
        require(end != std::string_view::npos, "an interim answer ends with a blank line");
        sent.remove_prefix(end + 4);
    }
    require(sent.starts_with("HTTP/1.1 ") && sent.size() > 12 && sent[12] == ' ', "status line");
    const int status = std::stoi(std::string(sent.substr(9, 3)));
    static const std::set<int> given{200, 400, 404, 405, 413, 414, 416, 421, 431};
    require(given.contains(status), "a status the page gives");

    const auto head_end = sent.find("\r\n\r\n");
    require(head_end != std::string_view::npos, "the head ends with a blank line");
    const std::string_view head = sent.substr(0, head_end + 2);
    const auto length_at = head.find("\r\nContent-Length: ");
    require(length_at != std::string_view::npos, "a Content-Length");
    const std::size_t length = std::stoul(std::string(head.substr(length_at + 18)));
    const std::size_t body = sent.size() - head_end - 4;
    require(body == length || body == 0, "the body as long as Content-Length says, or none");
    return status;
}

}  // namespace
}  // namespace stillmon::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stillmon;
    using namespace stillmon::fuzz;
    const std::string_view request(reinterpret_cast<const char*>(data), size);
    const std::string on_loopback = answer_request_bytes(page_answers(), "127.0.0.1", request);
    const std::string on_network = answer_request_bytes(page_answers(), "0.0.0.0", request);
    require(on_loopback.empty() == request.empty(), "an answer to anything sent");
    if (request.empty()) {
        return 0;
    }
    const int loopback_status = checked_status(on_loopback);
    const int network_status = checked_status(on_network);
    require(network_status != 421, "a page served to the network answers any Host");
    require(loopback_status == 421 || on_loopback == on_network,
            "the same answer on loopback but for a foreign Host");
    return 0;
}
