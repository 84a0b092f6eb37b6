#pragma once

#include <functional>
#include <thread>
#include <utility>

namespace stillmon {

// How the program starts each of its threads, so that a test can make a start fail. Like
// std::thread, a starter throws std::system_error when no thread can be had.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;

inline std::thread start_thread(std::function<void()> body) {
    return std::thread(std::move(body));
}

}  // namespace stillmon
