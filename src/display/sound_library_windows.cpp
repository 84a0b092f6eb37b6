#include "display/sound_library.h"

namespace stillmon {

// Windows' sound system says nothing on stderr.
void quiet_sound_library() {}

}  // namespace stillmon
