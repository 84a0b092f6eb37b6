#pragma once

#include <memory>

#include "notify/notice_sender.h"
#include "notify/notice_texts.h"
#include "notify/notify_targets.h"

namespace stillmon {

// Runs the command once per notice (notify/child_process.h) with the notice's variables in
// its environment and its JSON on its standard input, stopping it after 30 s. Only a command
// that cannot be started is tried again: one that ran has had the notice, whatever it made of
// it, and a second run could page someone twice. An exit status other than 0, a signal or the
// stop at 30 s is said through `say` each time.
std::unique_ptr<NoticeSender> make_command_sender(const CommandTarget& target,
                                                  const NoticeOrigin& origin, Say say);

}  // namespace stillmon
