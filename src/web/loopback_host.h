#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stillmon {

// Whether a host names this machine's loopback interface: "localhost" in any case, an IPv4
// address of 127.0.0.0/8 written as four decimal numbers, or "::1"; bracketed or not, with a
// port after it or not. Other spellings of the same addresses do not count: browsers send the
// canonical ones.
bool names_loopback(std::string_view host);

// A page served on a loopback address is meant for this machine alone. A browser reading it
// through DNS rebinding names the attacker's host in the Host header, so such a request is
// refused; a request without the header (HTTP/1.0) is answered.
bool host_header_accepted(std::string_view served_host, const std::optional<std::string>& header);

}  // namespace stillmon
