#include "display/sdl_snapshot.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "display/surface.h"
#include "support/temp_directory.h"

namespace stillmon {
namespace {

namespace fs = std::filesystem;

struct LoadedDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

class SnapshotTest : public ::testing::Test {
  protected:
    // A surface that uses every palette entry: colour stripes, a line and text.
    static Surface drawn_surface() {
        Surface surface(small_screen);
        for (int x = 0; x < surface.width(); ++x) {
            for (int y = 300; y < 340; ++y) {
                surface.set_pixel(x, y, x % 16);
            }
        }
        surface.draw_line(0, 384, surface.width(), 384, 10, 0xAAAA);
        surface.set_text_position(3, 5);
        surface.set_text_colours(14, 0);
        surface.print("Snapshot 12.5", true);
        return surface;
    }

    test_support::TempDirectory directory_;
};

// The PNG read back through SDL_image, as RGB colours per pixel.
std::unique_ptr<SDL_Surface, LoadedDeleter> load_rgb(const fs::path& path) {
    std::unique_ptr<SDL_Surface, LoadedDeleter> loaded(IMG_Load(path.c_str()));
    if (!loaded) {
        return nullptr;
    }
    return std::unique_ptr<SDL_Surface, LoadedDeleter>(
        SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB24, 0));
}

TEST_F(SnapshotTest, SavesEveryPixelInItsExactPaletteColour) {
    const Surface surface = drawn_surface();
    const fs::path path = directory_.path() / "picture.png";
    std::string why_not;
    ASSERT_TRUE(save_snapshot_png(surface, path.string(), &why_not)) << why_not;

    auto rgb = load_rgb(path);
    ASSERT_TRUE(rgb) << IMG_GetError();
    ASSERT_EQ(rgb->w, surface.width());
    ASSERT_EQ(rgb->h, surface.height());
    int wrong = 0;
    for (int y = 0; y < surface.height(); ++y) {
        const auto* row = static_cast<const std::uint8_t*>(rgb->pixels) + y * rgb->pitch;
        for (int x = 0; x < surface.width(); ++x) {
            const PaletteColour expected = basic_palette[surface.pixel(x, y)];
            const std::uint8_t* got = row + 3 * x;
            if (got[0] != expected.red || got[1] != expected.green || got[2] != expected.blue) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(SnapshotTest, KeepsThePaletteIndicesInTheFile) {
    const Surface surface = drawn_surface();
    const fs::path path = directory_.path() / "indexed.png";
    ASSERT_TRUE(save_snapshot_png(surface, path.string()));
    std::unique_ptr<SDL_Surface, LoadedDeleter> loaded(IMG_Load(path.c_str()));
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->format->BitsPerPixel, 8);
    ASSERT_NE(loaded->format->palette, nullptr);
    for (int x = 0; x < 16; ++x) {
        const auto* row = static_cast<const std::uint8_t*>(loaded->pixels) + 310 * loaded->pitch;
        EXPECT_EQ(row[x], x);
    }
}

TEST_F(SnapshotTest, ReportsAFileThatCannotBeWritten) {
    const Surface surface(small_screen);
    std::string why_not;
    EXPECT_FALSE(
        save_snapshot_png(surface, (directory_.path() / "missing" / "x.png").string(), &why_not));
    EXPECT_FALSE(why_not.empty());
}

TEST_F(SnapshotTest, TakeSnapshotNamesTheFileByTimeAndSaysSo) {
    const fs::path before = fs::current_path();
    fs::current_path(directory_.path());
    std::ostringstream console;
    const bool saved = take_snapshot(drawn_surface(), console);
    fs::current_path(before);

    ASSERT_TRUE(saved) << console.str();
    std::smatch found;
    const std::string said = console.str();
    ASSERT_TRUE(std::regex_match(said, found,
                                 std::regex(R"(Snapshot saved: (stillmon-\d{8}-\d{6}\.png)\n)")))
        << said;
    EXPECT_TRUE(fs::is_regular_file(directory_.path() / found[1].str()));
}

}  // namespace
}  // namespace stillmon
