#include "notify/command_sender.h"

#include "notify/child_process.h"

namespace stillmon {

namespace {

constexpr std::chrono::seconds run_limit{30};

class CommandSender final : public NoticeSender {
  public:
    CommandSender(CommandTarget target, NoticeOrigin origin, Say say)
        : target_(std::move(target)),
          origin_(std::move(origin)),
          say_(std::move(say)),
          name_(target_.argv.empty() ? std::string() : target_.argv[0]) {}

    std::optional<std::string> send(const AlarmNotice& notice) override {
        const ChildEnd end = run_child_process(target_.argv, notice_environment(notice, origin_),
                                               notice_json(notice, origin_), run_limit);
        const std::string command = "stillmon: command " + name_;
        switch (end.how) {
            case ChildEnd::How::not_started:
                return "cannot start it: " + end.why;
            case ChildEnd::How::exited:
                if (end.code != 0) {
                    say_(command + " ended with status " + std::to_string(end.code));
                }
                break;
            case ChildEnd::How::signalled:
                say_(command + " was ended by signal " + std::to_string(end.code));
                break;
            case ChildEnd::How::stopped_at_limit:
                say_(command + " was still running after " + std::to_string(run_limit.count()) +
                     " s and was stopped");
                break;
        }
        return std::nullopt;
    }

    const std::string& name() const override { return name_; }

  private:
    CommandTarget target_;
    NoticeOrigin origin_;
    Say say_;
    std::string name_;
};

}  // namespace

std::unique_ptr<NoticeSender> make_command_sender(const CommandTarget& target,
                                                  const NoticeOrigin& origin, Say say) {
    return std::make_unique<CommandSender>(target, origin, std::move(say));
}

}  // namespace stillmon
