#include "support/png_image.h"

#include <png.h>

#include <array>
#include <cstring>

namespace stillmon::test_support {

namespace {

png_image blank_image() {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    return image;
}

}  // namespace

RgbImage rgb_of(const Surface& surface) {
    RgbImage image{surface.width(), surface.height(), {}};
    image.rgb.reserve(surface.pixels().size() * 3);
    for (const std::uint8_t index : surface.pixels()) {
        const PaletteColour& colour = basic_palette[index & 0x0F];
        image.rgb.push_back(colour.red);
        image.rgb.push_back(colour.green);
        image.rgb.push_back(colour.blue);
    }
    return image;
}

std::optional<std::string> write_surface_png(const Surface& surface, const std::string& path) {
    std::array<std::uint8_t, basic_palette.size() * 3> colour_map{};
    for (std::size_t i = 0; i < basic_palette.size(); ++i) {
        colour_map[3 * i] = basic_palette[i].red;
        colour_map[3 * i + 1] = basic_palette[i].green;
        colour_map[3 * i + 2] = basic_palette[i].blue;
    }
    for (const std::uint8_t index : surface.pixels()) {
        if (index >= basic_palette.size()) {
            return "pixel index " + std::to_string(index) + " lies outside the basic palette";
        }
    }
    png_image image = blank_image();
    image.width = static_cast<png_uint_32>(surface.width());
    image.height = static_cast<png_uint_32>(surface.height());
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = static_cast<png_uint_32>(basic_palette.size());
    if (png_image_write_to_file(&image, path.c_str(), 0, surface.pixels().data(), 0,
                                colour_map.data()) == 0) {
        return "cannot write " + path + ": " + image.message;
    }
    return std::nullopt;
}

std::optional<RgbImage> read_png_rgb(const std::string& path, std::string& error) {
    png_image image = blank_image();
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        error = "cannot read " + path + ": " + image.message;
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    RgbImage result{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    result.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr) == 0) {
        error = "cannot decode " + path + ": " + image.message;
        png_image_free(&image);
        return std::nullopt;
    }
    return result;
}

}  // namespace stillmon::test_support
