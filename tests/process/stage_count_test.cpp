#include "process/stage_count.h"

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "base/numbers.h"
#include "process/equilibrium_table.h"
#include "process/interpolation.h"
#include "support/recording_screen.h"

namespace stillmon {
namespace {

constexpr int stage_points = 4;
const std::string twelve_blanks(12, ' ');

float liquid_strength_at(int tank_raw) {
    return interpolate_table(static_cast<float>(tank_raw) / 16.0f,
                             equilibrium_column::boiling_temperature,
                             equilibrium_column::liquid_by_volume, 9);
}

float vapour_strength_at(int steam_raw) {
    return interpolate_table(static_cast<float>(steam_raw) / 16.0f,
                             equilibrium_column::boiling_temperature,
                             equilibrium_column::vapour_by_volume, 9);
}

// The whole stage count as the status line shows it ("D Stage=<k>.0"), or -1 without one.
int shown_whole_stages(std::string_view line) {
    constexpr std::string_view label = ", D Stage=";
    const auto at = line.find(label);
    if (at == std::string_view::npos) {
        return -1;
    }
    return static_cast<int>(read_number(line.substr(at + label.size())));
}

std::string status_line(const RecordingScreen& screen) {
    return screen.text_at(4, 10);
}

TEST(CountStages, TankAt92DegreesCountsSixStagesAndWritesItsStatusLine) {
    RecordingScreen screen;
    const float input = liquid_strength_at(1472);   // tank 92.0 degrees
    const float output = vapour_strength_at(1256);  // steam 78.5 degrees

    const float stages = count_stages(input, output, stage_points, screen);

    EXPECT_GT(stages, 5.955f);
    EXPECT_LT(stages, 5.965f);
    const auto& calls = screen.calls();
    ASSERT_EQ(calls.size(), 11u);
    EXPECT_EQ(calls[0].kind, RecordingScreen::CallKind::position);
    EXPECT_EQ(calls[0].row, 4);
    EXPECT_EQ(calls[0].column, 10);
    EXPECT_EQ(calls[1].kind, RecordingScreen::CallKind::colours);
    EXPECT_EQ(calls[1].foreground, 15);
    EXPECT_EQ(calls[1].background, 0);
    const std::vector<std::string> pieces = {
        " Proof Input=", "11.02", ", Proof Output=", "94.21", ", D Stage=", "6.0",
        ", DLine St=",   "5.96",  twelve_blanks};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto& call = calls[i + 2];
        EXPECT_EQ(call.kind, RecordingScreen::CallKind::print) << i;
        EXPECT_EQ(call.text, pieces[i]) << i;
        EXPECT_EQ(call.end_line, i + 1 == pieces.size()) << i;
    }
    EXPECT_EQ(status_line(screen),
              " Proof Input=11.02, Proof Output=94.21, D Stage=6.0, DLine St=5.96" + twelve_blanks);
    EXPECT_EQ(screen.cursor(), std::make_pair(5, 1));
}

TEST(CountStages, StrongestSteamFromTheTankAtNinetyTwoDegreesNeedsSeventeenStages) {
    RecordingScreen screen;
    const float output = vapour_strength_at(1251);  // 78.1875 degrees
    EXPECT_NEAR(output, 96.59f, 0.005f);

    const float stages = count_stages(liquid_strength_at(1472), output, stage_points, screen);

    EXPECT_EQ(shown_whole_stages(status_line(screen)), 17);
    EXPECT_GT(stages, 16.0f);
    EXPECT_LT(stages, 17.0f);
}

// Keeps only the text of the last status line; the sweep below runs about 100 000 chains.
class LastLineScreen : public TextScreen {
  public:
    void set_text_position(int, int) override { line.clear(); }
    void set_text_colours(int, int) override {}
    void print(std::string_view text, bool) override { line += text; }
    std::string line;
};

TEST(CountStages, EveryFrameTemperaturePairPassesItsTargetWithinEighteenStages) {
    // Frame temperatures come in sixteenths of a degree; 1251 .. 1598 are the values inside
    // the table (78.1875 .. 99.875 degrees).
    constexpr int lowest_raw = 1251;
    constexpr int highest_raw = 1598;
    std::vector<float> liquids;
    std::vector<float> vapours;
    for (int raw = lowest_raw; raw <= highest_raw; ++raw) {
        liquids.push_back(liquid_strength_at(raw));
        vapours.push_back(vapour_strength_at(raw));
    }
    EXPECT_EQ(liquid_strength_at(lowest_raw - 1), 0.0f);
    EXPECT_EQ(liquid_strength_at(highest_raw + 1), 0.0f);

    LastLineScreen screen;
    int chains = 0;
    int longest = 0;
    for (const float input : liquids) {
        for (const float output : vapours) {
            if (!(input > 0.0f && output > 0.0f && output > input)) {
                continue;
            }
            ++chains;
            screen.line.clear();
            const float stages = count_stages(input, output, stage_points, screen);
            const int whole = shown_whole_stages(screen.line);
            // A stage landing exactly on its target puts the crossing at the whole count before.
            ASSERT_GE(stages, static_cast<float>(whole - 1)) << input << " -> " << output;
            ASSERT_GT(stages, 0.0f) << input << " -> " << output;
            ASSERT_LE(stages, static_cast<float>(whole)) << input << " -> " << output;
            longest = std::max(longest, whole);
        }
    }
    EXPECT_GT(chains, 90000);
    EXPECT_EQ(longest, 18);
}

TEST(CountStages, InputWithoutStrengthGivesNoResultAndLeavesTheScreenAlone) {
    const float inputs[] = {0.0f, -0.0f, -1.0f, -4.4f, std::numeric_limits<float>::quiet_NaN()};
    for (const float input : inputs) {
        RecordingScreen screen;
        EXPECT_EQ(count_stages(input, 94.21f, stage_points, screen), 0.0f) << input;
        EXPECT_TRUE(screen.calls().empty()) << input;
    }
}

TEST(CountStages, StageLandingExactlyOnTheTargetDoesNotEndTheChain) {
    RecordingScreen screen;
    const float first_vapour = interpolate_table(50.0f, equilibrium_column::liquid_by_volume,
                                                 equilibrium_column::vapour_by_volume, 4);

    const float stages = count_stages(50.0f, first_vapour, stage_points, screen);

    EXPECT_EQ(shown_whole_stages(status_line(screen)), 2);
    EXPECT_EQ(stages, 1.0f);  // the crossing point is the end of the first stage
}

TEST(CountStages, FirstStagePassingTheTargetGivesAFractionOfOne) {
    RecordingScreen screen;
    const float stages = count_stages(50.0f, 50.5f, stage_points, screen);
    EXPECT_EQ(shown_whole_stages(status_line(screen)), 1);
    EXPECT_GT(stages, 0.0f);
    EXPECT_LT(stages, 1.0f);
}

struct UnfinishedChain {
    const char* what;
    float input;
    float output;
    const char* line;
};

TEST(CountStages, ChainThatCannotPassItsTargetStopsWithoutResult) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const UnfinishedChain cases[] = {
        {"target above the azeotrope: creeps towards 97.2 until the stage limit", 90.0f, 97.5f,
         " Proof Input=90.00, Proof Output=97.50, D Stage=50.0, DLine St=0.00"},
        {"no target to pass", 90.0f, nan,
         " Proof Input=90.00, Proof Output=nan, D Stage=50.0, DLine St=0.00"},
        {"liquid beyond the azeotrope yields no vapour", 97.5f, 98.0f,
         " Proof Input=97.50, Proof Output=98.00, D Stage=1.0, DLine St=0.00"},
    };
    for (const auto& c : cases) {
        RecordingScreen screen;
        EXPECT_EQ(count_stages(c.input, c.output, stage_points, screen), 0.0f) << c.what;
        EXPECT_EQ(status_line(screen), c.line + twelve_blanks) << c.what;
    }
}

TEST(CountStages, StageThatDoesNotRaiseTheStrengthHasNoCrossingPoint) {
    // Just below the azeotrope a liquid can give a vapour of its own strength. Started above
    // the target, such a stage passes it without any change to interpolate along.
    const float unchanged = 97.1997986f;
    ASSERT_EQ(interpolate_table(unchanged, equilibrium_column::liquid_by_volume,
                                equilibrium_column::vapour_by_volume, stage_points),
              unchanged);
    RecordingScreen screen;

    const float stages = count_stages(unchanged, 50.0f, stage_points, screen);

    EXPECT_EQ(stages, 0.0f);
    EXPECT_EQ(status_line(screen),
              " Proof Input=97.20, Proof Output=50.00, D Stage=1.0, DLine St=0.00" + twelve_blanks);
}

}  // namespace
}  // namespace stillmon
