#pragma once

#include <clocale>
#include <string>

namespace stillmon {

// A decimal comma in the C library's locale while it lives, where the system has such a
// locale (active()): numbers written or read as text must not follow it.
class DecimalCommaLocale {
  public:
    DecimalCommaLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr ||
                  std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool active() const { return active_; }

  private:
    std::string previous_;
    bool active_ = false;
};

}  // namespace stillmon
