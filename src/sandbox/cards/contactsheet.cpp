#include "contactsheet.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fmt/format.h>

#include "qorvasim/picture.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace sandbox {

namespace {

using zq::mediacore::STAVFrame;

constexpr int32_t kCellWidth = 320;  // the preset tap size
constexpr int32_t kCellHeight = 180;
constexpr int32_t kTextScale = 2;
constexpr int32_t kCaptionHeight = (qorva::sim::kTextLineHeight + 2) * kTextScale;
constexpr int32_t kGap = 8;
constexpr int32_t kColumns = 4;
constexpr uint32_t kBackground = 0xFF303030u;
constexpr uint32_t kCellBackground = 0xFF000000u;
constexpr uint32_t kCaptionColour = 0xFFFFFFFFu;

void fill(STAVFrame& sheet, int32_t x0, int32_t y0, int32_t width, int32_t height, uint32_t rgba) {
    for (int32_t y = y0; y < y0 + height; ++y)
        std::fill_n(sheet.pixels.begin() + static_cast<ptrdiff_t>(y) * sheet.width + x0, width, rgba);
}

// A picture larger than a cell is scaled down to fit it, keeping its shape.
std::shared_ptr<const STAVFrame> fitCell(const std::shared_ptr<const STAVFrame>& picture) {
    if (picture->width <= kCellWidth && picture->height <= kCellHeight) return picture;
    const double scale =
        std::min(static_cast<double>(kCellWidth) / picture->width, static_cast<double>(kCellHeight) / picture->height);
    return qorva::sim::scalePicture(*picture, std::max(1, static_cast<int32_t>(picture->width * scale)),
                                    std::max(1, static_cast<int32_t>(picture->height * scale)));
}

// The picture centred in its cell.
void blit(STAVFrame& sheet, int32_t cellX, int32_t cellY, const STAVFrame& picture) {
    const int32_t x0 = cellX + (kCellWidth - picture.width) / 2;
    const int32_t y0 = cellY + (kCellHeight - picture.height) / 2;
    for (int32_t y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels.begin() + static_cast<ptrdiff_t>(y) * picture.width, picture.width,
                    sheet.pixels.begin() + static_cast<ptrdiff_t>(y0 + y) * sheet.width + x0);
}

STAVFrame layOut(const std::vector<Tile>& tiles) {
    const int32_t columns = std::clamp(static_cast<int32_t>(tiles.size()), 1, kColumns);
    const int32_t rows = std::max(1, (static_cast<int32_t>(tiles.size()) + columns - 1) / columns);
    const int32_t tileHeight = kCellHeight + kCaptionHeight;
    STAVFrame sheet;
    sheet.width = kGap + columns * (kCellWidth + kGap);
    sheet.height = kGap + rows * (tileHeight + kGap);
    sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height, kBackground);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const int32_t x = kGap + static_cast<int32_t>(i) % columns * (kCellWidth + kGap);
        const int32_t y = kGap + static_cast<int32_t>(i) / columns * (tileHeight + kGap);
        fill(sheet, x, y, kCellWidth, kCellHeight, kCellBackground);
        if (tiles[i].picture) blit(sheet, x, y, *fitCell(tiles[i].picture));
        qorva::sim::drawText(sheet, x, y + kCellHeight + kTextScale, kTextScale, tiles[i].caption, kCaptionColour);
    }
    return sheet;
}

// The sheet's pixels as bytes R, G, B, A, the order the sim's pixels keep from the
// low byte up.
std::vector<unsigned char> rgbaBytes(const STAVFrame& sheet) {
    std::vector<unsigned char> bytes;
    bytes.reserve(sheet.pixels.size() * 4);
    for (uint32_t pixel : sheet.pixels)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(pixel >> shift));
    return bytes;
}

void append(void* file, void* data, int size) {
    static_cast<std::ofstream*>(file)->write(static_cast<const char*>(data), size);
}

}  // namespace

ContactSheet::ContactSheet(std::filesystem::path path)
    : _path(std::move(path)), _file(_path, std::ios::binary | std::ios::trunc) {
    if (!_file)
        throw std::runtime_error(
            fmt::format("cannot write the contact sheet {}: {}", _path.string(), std::strerror(errno)));
}

void ContactSheet::write(const std::vector<Tile>& tiles) {
    const STAVFrame sheet = layOut(tiles);
    const std::vector<unsigned char> bytes = rgbaBytes(sheet);
    const bool encoded =
        stbi_write_png_to_func(append, &_file, sheet.width, sheet.height, 4, bytes.data(), sheet.width * 4) != 0;
    _file.close();
    if (!encoded || !_file)
        throw std::runtime_error(fmt::format("writing the contact sheet {} failed", _path.string()));
}

}  // namespace sandbox
