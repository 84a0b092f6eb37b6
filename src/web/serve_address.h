#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stillmon {

// Where the page is served: `--serve PORT` (the loopback address alone), `--serve
// ADDRESS:PORT`, or `--serve [IPV6]:PORT`. Port 0 takes any free port.
struct ServeAddress {
    std::string host = "127.0.0.1";
    int port = 0;
};

std::optional<ServeAddress> read_serve_address(std::string_view text);

// "http://127.0.0.1:8080/", brackets around an IPv6 address.
std::string page_url(const ServeAddress& address);

}  // namespace stillmon
