#include "link/serial_port_link.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include <asio.hpp>

#include "link/frame_assembler.h"
#include "link/port_settings.h"
#include "link/serial_device.h"

namespace stillmon {

namespace {

// One read_frame call, answered on the I/O thread: with a frame, or with nothing when the
// link is closed, re-opened or fails first. The answer wakes the reader; the wake is made
// under the lock, so it is over before the reader can see the answer and leave.
struct FrameRequest {
    explicit FrameRequest(std::function<void()> wake_reader) : wake(std::move(wake_reader)) {}

    std::mutex mutex;
    std::condition_variable answered_signal;
    bool answered = false;
    std::optional<FrameBytes> frame;
    std::function<void()> wake;

    void answer(std::optional<FrameBytes> with) {
        std::lock_guard lock(mutex);
        frame = with;
        answered = true;
        answered_signal.notify_all();
        if (wake) {
            wake();
        }
    }

    bool is_answered() {
        std::lock_guard lock(mutex);
        return answered;
    }
};

// The port is read all the time it is open, so the frame assembler learns when bytes really
// arrived; frames wait in the assembler until the cycle asks for one. The assembler, the
// port and the waiting request belong to the I/O thread.
class SerialPortLink final : public DeviceLink {
  public:
    // A command byte takes a millisecond on the line; a device that has not taken one in this
    // time is stuck, and waiting longer would only pile up more.
    static constexpr std::chrono::seconds command_write_limit{1};

    SerialPortLink(const ThreadStarter& start, Say say)
        : say_(std::move(say)),
          work_(asio::make_work_guard(io_)),
          port_(io_),
          write_deadline_(io_) {
        io_thread_ = start([this] { io_.run(); });
    }

    ~SerialPortLink() override {
        close();
        work_.reset();
        io_.stop();
        io_thread_.join();
    }

    OpenResult open(const PortSettings& port) override {
        return run_on_io_thread([this, &port] {
            close_port();
            OpenResult opened = open_serial_device(port_, port);
            if (opened.error_number != link_error::none) {
                return opened;
            }
            reading_failed_ = false;
            start_reading();
            return OpenResult{};
        });
    }

    void close() override {
        run_on_io_thread([this] { close_port(); });
    }

    std::size_t read_frame(std::span<std::uint8_t, frame_size_bytes> into,
                           const ReadWaiting& waiting) override {
        auto request = std::make_shared<FrameRequest>(waiting.wake);
        asio::post(io_, [this, request] { serve(request); });

        if (waiting.wait) {
            while (!request->is_answered()) {
                waiting.wait();
            }
        }
        std::unique_lock lock(request->mutex);
        request->answered_signal.wait(lock, [&request] { return request->answered; });
        if (!request->frame) {
            return 0;
        }
        std::copy(request->frame->begin(), request->frame->end(), into.begin());
        return frame_size_bytes;
    }

    void write_command_byte(std::uint8_t command) override {
        asio::post(io_, [this, command] {
            if (!port_.is_open()) {
                return;
            }
            unsent_.push_back(command);
            if (!writing_) {
                send_unsent();
            }
        });
    }

    bool has_unread_bytes() override {
        return run_on_io_thread([this] {
            return assembler_.has_frame() || (port_.is_open() && bytes_waiting(port_) > 0);
        });
    }

  private:
    // The methods below run on the I/O thread.

    // Writes in the background, so the I/O thread never waits on the device; one write at a
    // time, with the bytes that came meanwhile sent together next.
    void send_unsent() {
        writing_ = true;
        sending_ = std::exchange(unsent_, {});
        const std::uint64_t write = ++writes_started_;
        write_deadline_.expires_after(command_write_limit);
        write_deadline_.async_wait([this, write](const asio::error_code& error) {
            if (error || !writing_ || write != writes_started_) {
                return;  // the write ended in time, or the port was closed
            }
            if (!said_device_stuck_) {
                said_device_stuck_ = true;
                say_(
                    "stillmon: the device takes no command bytes; they are dropped and its "
                    "port is opened again");
            }
            close_port();  // frames stop, and the link is re-opened as for a silent device
        });
        asio::async_write(port_, asio::buffer(sending_),
                          [this, write](const asio::error_code& error, std::size_t) {
                              if (write != writes_started_ || !writing_) {
                                  return;  // the port was closed under the write
                              }
                              write_deadline_.cancel();
                              writing_ = false;
                              if (error) {
                                  unsent_.clear();
                              } else if (!unsent_.empty()) {
                                  send_unsent();
                              }
                          });
    }

    void serve(const std::shared_ptr<FrameRequest>& request) {
        if (auto frame = assembler_.take_frame()) {
            request->answer(frame);
        } else if (!port_.is_open() || reading_failed_) {
            request->answer(std::nullopt);
        } else {
            answer_waiting_request(std::nullopt);  // only one reader asks at a time
            waiting_request_ = request;
        }
    }

    void answer_waiting_request(std::optional<FrameBytes> frame) {
        if (waiting_request_) {
            std::exchange(waiting_request_, nullptr)->answer(frame);
        }
    }

    void start_reading() {
        port_.async_read_some(
            asio::buffer(chunk_),
            [this, generation = generation_](const asio::error_code& error, std::size_t count) {
                if (generation != generation_) {
                    return;  // the read of a port closed since
                }
                if (error) {
                    // The device is gone (or failed): nothing more comes until a re-open.
                    reading_failed_ = true;
                    answer_waiting_request(std::nullopt);
                    return;
                }
                assembler_.add(std::span(chunk_).first(count), FrameAssembler::Clock::now());
                if (waiting_request_) {
                    if (auto frame = assembler_.take_frame()) {
                        answer_waiting_request(frame);
                    }
                }
                start_reading();
            });
    }

    // Releases a waiting read without a frame. The bytes of an unfinished frame are lost;
    // whole frames that came before the close are still read.
    void close_port() {
        answer_waiting_request(std::nullopt);
        if (!port_.is_open()) {
            return;
        }
        writing_ = false;
        unsent_.clear();
        write_deadline_.cancel();
        ++generation_;
        close_serial_device(port_);
        assembler_.drop_unfinished_frame();
    }

    template <typename Operation>
    std::invoke_result_t<Operation> run_on_io_thread(Operation operation) {
        std::packaged_task<std::invoke_result_t<Operation>()> task(std::move(operation));
        auto result = task.get_future();
        asio::post(io_, [&task] { task(); });
        return result.get();
    }

    Say say_;
    asio::io_context io_;
    asio::executor_work_guard<asio::io_context::executor_type> work_;
    asio::serial_port port_;
    asio::steady_timer write_deadline_;
    std::vector<std::uint8_t> unsent_;
    std::vector<std::uint8_t> sending_;  // the bytes of the write under way
    std::uint64_t writes_started_ = 0;
    bool writing_ = false;
    bool said_device_stuck_ = false;
    // One frame's worth per read: a read returns what has come so far on Linux and on Windows,
    // but Wine's serial ports (the Windows build's tests) complete a read only once it is full.
    std::array<std::uint8_t, frame_size_bytes> chunk_{};
    FrameAssembler assembler_;
    std::shared_ptr<FrameRequest> waiting_request_;
    std::uint64_t generation_ = 0;  // counts closes, so a late completion knows it is stale
    bool reading_failed_ = false;
    std::thread io_thread_;
};

}  // namespace

std::unique_ptr<DeviceLink> make_serial_port_link(const ThreadStarter& start, Say say) {
    return std::make_unique<SerialPortLink>(start, std::move(say));
}

}  // namespace stillmon
