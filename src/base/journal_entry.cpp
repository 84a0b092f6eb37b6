#include "base/journal_entry.h"

#include <array>
#include <utility>

namespace stillmon {

namespace {

constexpr std::array<std::pair<JournalKind, std::string_view>, 3> kind_names{{
    {JournalKind::mark, "mark"},
    {JournalKind::session_start, "session-start"},
    {JournalKind::session_end, "session-end"},
}};

}  // namespace

std::string_view journal_kind_name(JournalKind kind) {
    for (const auto& [each, name] : kind_names) {
        if (each == kind) {
            return name;
        }
    }
    return {};
}

std::optional<JournalKind> journal_kind_named(std::string_view name) {
    for (const auto& [kind, each] : kind_names) {
        if (each == name) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace stillmon
