#include "display/sdl_window.h"

#include <SDL.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/key_codes.h"
#include "base/latin1_text.h"
#include "display/display_server.h"
#include "display/sdl_indexed_surface.h"
#include "display/sdl_key_translation.h"
#include "display/surface.h"
#include "display/window_title.h"

namespace stillmon {

namespace {

// SDL falls back to these when there is no real display, drawing into memory nobody sees.
bool is_stand_in_driver(std::string_view driver) {
    return driver == "offscreen" || driver == "dummy";
}

class SdlChartWindow final : public ChartWindow {
  public:
    SdlChartWindow(SDL_Window* window, SdlSurfacePtr shown, KeyQueue& keys)
        : window_(window), shown_(std::move(shown)), keys_(keys) {}

    ~SdlChartWindow() override {
        shown_.reset();
        SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    SdlChartWindow(const SdlChartWindow&) = delete;
    SdlChartWindow& operator=(const SdlChartWindow&) = delete;

    void present(const Surface& surface) override {
        if (surface.width() != shown_->w || surface.height() != shown_->h) {
            return;
        }
        // Only the rows that changed are converted and sent: from one cycle to the next most
        // of the window stays as it was.
        show(copy_changed_rows(surface, *shown_));
    }

    void pump_events() override {
        SDL_Event event;
        while (SDL_PollEvent(&event) == 1) {
            take_event(event);
        }
    }

    // SDL sleeps in the display connection until an event comes or the time is up; a pushed
    // event (wake) interrupts the sleep from any thread.
    void wait_events(Clock::time_point deadline) override {
        const auto now = Clock::now();
        if (deadline <= now) {
            pump_events();
            return;
        }
        // Rounded up, so that the wait does not end just before its deadline; SDL takes an int.
        const int timeout_ms =
            deadline > now + std::chrono::hours(24)
                ? 24 * 60 * 60 * 1000
                : static_cast<int>(
                      std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count());
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, timeout_ms) == 1) {
            take_event(event);
            pump_events();
        }
    }

    void wake() override {
        SDL_Event event{};
        event.type = SDL_USEREVENT;  // taken in like any event, and otherwise ignored
        SDL_PushEvent(&event);
    }

  private:
    // Puts rows of the last presented pixels on the screen, or all of them on a window
    // surface that has not had them yet. The window surface is fetched afresh each time,
    // since SDL may replace it.
    void show(const std::vector<SDL_Rect>& rows) {
        SDL_Surface* target = SDL_GetWindowSurface(window_);
        if (target == nullptr) {
            return;
        }
        if (target != filled_target_) {
            if (SDL_BlitSurface(shown_.get(), nullptr, target, nullptr) == 0) {
                SDL_UpdateWindowSurface(window_);
                filled_target_ = target;
            }
            return;
        }
        for (const SDL_Rect& band : rows) {
            SDL_Rect from = band;
            SDL_Rect to = band;
            if (SDL_BlitSurface(shown_.get(), &from, target, &to) != 0) {
                filled_target_ = nullptr;
                return;
            }
        }
        if (!rows.empty()) {
            SDL_UpdateWindowSurfaceRects(window_, rows.data(), static_cast<int>(rows.size()));
        }
    }

    void show_all() {
        filled_target_ = nullptr;
        show({});
    }

    void take_event(const SDL_Event& event) {
        switch (event.type) {
            case SDL_KEYDOWN:
                if (auto key = key_for_key_press(event.key.keysym.sym, event.key.keysym.mod)) {
                    keys_.push(std::move(*key));
                }
                break;
            case SDL_TEXTINPUT:
                for (const char typed : latin1_from_utf8(event.text.text)) {
                    keys_.push(std::string(1, typed));
                }
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                    keys_.push(std::string(key::window_close));
                } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                           event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    show_all();
                }
                break;
            case SDL_QUIT:  // a request to end from outside the window, such as the session
                keys_.push(std::string(key::window_close));
                break;
            default:
                break;
        }
    }

    SDL_Window* window_;
    SdlSurfacePtr shown_;                   // the pixels last presented, with the chart palette
    SDL_Surface* filled_target_ = nullptr;  // the window surface that holds all of them
    KeyQueue& keys_;
};

std::unique_ptr<ChartWindow> refuse(std::string* why_not, std::string reason) {
    if (why_not != nullptr) {
        *why_not = std::move(reason);
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<ChartWindow> open_sdl_window(const ScreenGeometry& geometry, std::string_view title,
                                             KeyQueue& keys, std::string* why_not) {
    if (std::string missing = why_no_display_server(); !missing.empty()) {
        return refuse(why_not, missing);
    }
    // The program handles Ctrl+C and termination itself; SDL must not turn them into events.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Closing the window is a key for the program to judge, not an end of the program.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The window surface goes straight to the display server (shared-memory images on X11)
    // rather than through an OpenGL texture: exact pixels, no GL driver loaded, and under a
    // software GL several times faster.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    keep_refused_display_requests_from_ending_the_run();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return refuse(why_not, std::string("no video: ") + SDL_GetError());
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || is_stand_in_driver(driver)) {
        SDL_Quit();
        return refuse(why_not, std::string("no display, only the video driver ") +
                                   (driver == nullptr ? "(none)" : driver));
    }

    const std::string shown_title = cut_window_title(title);
    SDL_Window* window =
        SDL_CreateWindow(shown_title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         geometry.width, geometry.height, SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        const std::string reason = std::string("no window: ") + SDL_GetError();
        SDL_Quit();
        return refuse(why_not, reason);
    }
    SdlSurfacePtr shown = make_indexed_surface(geometry.width, geometry.height);
    if (!shown) {
        const std::string reason = std::string("no surface: ") + SDL_GetError();
        SDL_DestroyWindow(window);
        SDL_Quit();
        return refuse(why_not, reason);
    }
    SDL_FillRect(shown.get(), nullptr, 0);  // black until the first present
    SDL_StartTextInput();
    SDL_ShowWindow(window);
    auto chart_window = std::make_unique<SdlChartWindow>(window, std::move(shown), keys);
    chart_window->pump_events();
    return chart_window;
}

}  // namespace stillmon
