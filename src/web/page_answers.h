#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/window_picture.h"
#include "web/live_view.h"

namespace stillmon {

// A request as the page's server received it, reduced to what the answer depends on.
struct PageRequest {
    std::string method;
    std::string path;
    std::optional<std::string> since;  // the query's "since", when there is one
    std::size_t head_bytes = 0;        // request line and header lines with their line ends
    bool has_body = false;             // a Content-Length above 0, or a chunked body
    std::optional<std::string> host;   // the Host header, when there is one
    std::string served_host;           // the address the page is served on
};

struct PageAnswer {
    int status = 200;
    std::string content_type;
    std::shared_ptr<const std::string> body;  // shared: the page and the picture are large
    std::vector<std::pair<std::string, std::string>> headers;
};

// What the page shows about the run's source.
struct PageSource {
    bool live = true;
    std::string port_label;          // the port argument live ("3"); "replay" otherwise
    std::string name;                // "port 3", or the saved log's name
    double arriving_within_s = 2.0;  // a cycle no older than this: frames are arriving
};

// The answers of the page's server, apart from the sockets: GET and HEAD of
//   /                     the live page
//   /window.png           the window as the main thread last copied it (an F12 snapshot's PNG)
//   /api/latest           the newest cycle and the link's state, as JSON
//   /api/history?since=N  the cycles after index N (at most history_per_answer of them)
//   /api/alarms           the alarms as they stand and the charts' marks, as JSON
//   /api/journal          the run's journal (web/journal_json.h)
//   /metrics              Prometheus' text format
// and refusals, the first that applies: 431 for a head over 8 KiB, 421 for a Host other than
// loopback on a page served on loopback (host_header_accepted), 405 for other methods, 413
// for a body, 404 for other paths, 400 for a "since" that is not a whole number. Any number of
// server threads may ask at once; the picture is encoded once per copy, by the first that asks for
// it.
class PageAnswers {
  public:
    static constexpr std::size_t longest_head_bytes = 8192;
    static constexpr std::size_t history_per_answer = 5000;
    // Encodes a picture as PNG; nothing when it cannot.
    using PictureEncoder = std::function<std::optional<std::string>(const WindowPicture&)>;

    PageAnswers(const LiveView& view, PageSource source, std::function<double()> now_s,
                PictureEncoder encode_png);

    PageAnswer answer(const PageRequest& request);

  private:
    PageAnswer window_picture();
    std::string latest_json();
    std::string history_json(std::uint64_t after);

    const LiveView& view_;
    PageSource source_;
    std::function<double()> now_s_;
    PictureEncoder encode_png_;
    std::shared_ptr<const std::string> page_;
    std::mutex png_mutex_;
    std::uint64_t png_serial_ = 0;
    std::shared_ptr<const std::string> png_;
};

// "since" as the page sends it: decimal digits only, within 64 bits.
std::optional<std::uint64_t> read_history_index(const std::string& text);

}  // namespace stillmon
