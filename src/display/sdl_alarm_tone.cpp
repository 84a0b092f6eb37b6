#include "display/sdl_alarm_tone.h"

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <numbers>

#include "display/sound_library.h"

namespace stillmon {

namespace {

constexpr int sample_rate_hz = 44100;
constexpr double pitch_hz = 880.0;
constexpr int beep_samples = sample_rate_hz / 4;  // on, then as long off
constexpr double loudness = 0.3 * 32767.0;

// The beep's samples come from SDL's audio thread, which owns the phase; the main thread only
// pauses and resumes the device.
struct BeepPhase {
    std::uint64_t sample = 0;
};

void fill_beep(void* userdata, Uint8* stream, int length) {
    auto& phase = *static_cast<BeepPhase*>(userdata);
    auto* samples = reinterpret_cast<std::int16_t*>(stream);
    const auto count = static_cast<std::size_t>(length) / sizeof(std::int16_t);
    for (std::size_t i = 0; i < count; ++i, ++phase.sample) {
        const bool beeping = (phase.sample / beep_samples) % 2 == 0;
        const double t = static_cast<double>(phase.sample) / sample_rate_hz;
        samples[i] = beeping ? static_cast<std::int16_t>(
                                   loudness * std::sin(2.0 * std::numbers::pi * pitch_hz * t))
                             : std::int16_t{0};
    }
}

class SdlAlarmTone final : public AlarmTone {
  public:
    explicit SdlAlarmTone(Say say) : say_(std::move(say)) {}

    ~SdlAlarmTone() override {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }

    void sound(bool on) override {
        if (on == sounding_ || (on && !open())) {
            return;
        }
        sounding_ = on;
        if (on) {
            phase_.sample = 0;  // each alarm's tone starts with a beep
        }
        SDL_PauseAudioDevice(device_, on ? 0 : 1);
    }

  private:
    // The device is opened at the first tone only, so a run whose alarms never sound touches
    // no sound device.
    bool open() {
        if (device_ != 0) {
            return true;
        }
        if (failed_) {
            return false;
        }
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return refuse(SDL_GetError());
        }
        quiet_sound_library();
        SDL_AudioSpec wanted{};
        wanted.freq = sample_rate_hz;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 1;
        wanted.samples = 2048;
        wanted.callback = fill_beep;
        wanted.userdata = &phase_;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (device_ == 0) {
            const std::string why = SDL_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return refuse(why);
        }
        return true;
    }

    bool refuse(const std::string& why) {
        failed_ = true;
        say_("stillmon: no sound for the alarm tone (" + why + "); the tone is skipped");
        return false;
    }

    Say say_;
    BeepPhase phase_;
    SDL_AudioDeviceID device_ = 0;
    bool sounding_ = false;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<AlarmTone> make_sdl_alarm_tone(Say say) {
    return std::make_unique<SdlAlarmTone>(std::move(say));
}

}  // namespace stillmon
