#include "display/sound_library.h"

#include <dlfcn.h>

namespace stillmon {

namespace {

// ALSA's error handler type, declared here since SDL loads the library itself at run time and
// stillmon does not link it.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int error,
                                  const char* format, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler handler);

void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void quiet_sound_library() {
    // Only a library SDL has already loaded: nothing is loaded here.
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (alsa == nullptr) {
        return;
    }
    if (void* setter = dlsym(alsa, "snd_lib_error_set_handler")) {
        reinterpret_cast<AlsaSetErrorHandler>(setter)(ignore_alsa_error);
    }
    dlclose(alsa);
}

}  // namespace stillmon
