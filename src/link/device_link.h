#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/error_lines.h"
#include "base/telemetry_frame.h"
#include "base/thread_starter.h"
#include "link/port_settings.h"

namespace stillmon {

// Error numbers of opening the link, as the start-up report shows them.
namespace link_error {
inline constexpr int none = 0;
inline constexpr int settings_rejected = 1;    // settings cannot be applied
inline constexpr int cannot_open = 2;          // no such device or permission, or held
inline constexpr int settings_unreadable = 8;  // current settings cannot be read
}  // namespace link_error

// How opening the link went. The error number is all the console line shows; the device and
// the system's reason come along so the program can say what went wrong, and a device that
// refuses this user, the one failure the user can fix alone, is marked so it can say how.
struct OpenResult {
    int error_number = link_error::none;
    std::string device_path;  // set when opening failed
    std::string failure;      // why, in the system's words; set when opening failed
    bool denied = false;      // the device refused this user
    // Who may open a device that refused this user: the members of `access_group`, or when
    // that is empty only `owner`.
    std::string access_group;
    std::string owner;
};

// How a thread waits while read_frame waits for the device: it sits in `wait`, again and
// again until the read is answered. The link calls `wake`, from a thread of its own, once the
// answer is there; `wait` returns after a `wake` (one that came before it counts too) and may
// return sooner. Without a `wait` the read simply blocks.
struct ReadWaiting {
    std::function<void()> wait;
    std::function<void()> wake;
};

// The serial link to the measuring device. Every operation is safe while another
// thread uses the link: the acquisition cycle reads frames while the link supervisor writes
// command bytes, closes and re-opens it. A read that waits for bytes ends when the link is
// closed or re-opened.
class DeviceLink {
  public:
    virtual ~DeviceLink() = default;

    virtual OpenResult open(const PortSettings& port) = 0;
    // Closing a link that is not open does nothing.
    virtual void close() = 0;
    // Waits for the next whole frame (frames are counted from the first byte after the open)
    // and returns frame_size_bytes. Returns 0 without a frame when the link is closed or
    // re-opened under the read or fails, and at once when it is not open. Meanwhile the
    // calling thread waits as `waiting` says.
    virtual std::size_t read_frame(std::span<std::uint8_t, frame_size_bytes> into,
                                   const ReadWaiting& waiting) = 0;
    // Sent in the background: lost without message when the link is closed. A device that
    // takes no bytes for a while has the link closed under it, as a silent one would.
    virtual void write_command_byte(std::uint8_t command) = 0;
    // True while bytes the device sent wait to be read, in the system or as whole frames the
    // cycle has not taken: a link with unread bytes is not silent, however long ago the last
    // frame was taken (the program may have been stopped or the machine suspended).
    virtual bool has_unread_bytes() = 0;
};

// Makes the link, its thread from `start`; what the operator should know of it goes to `say`
// (link/serial_port_link.h's make_serial_port_link is the real one).
using SerialLinkMaker =
    std::function<std::unique_ptr<DeviceLink>(const ThreadStarter& start, Say say)>;

}  // namespace stillmon
