// Many pictures on one sheet, each under its caption.
#include <algorithm>
#include <cstring>

#include "host/render/render.h"
#include "host/render/text_font.h"

namespace cwhost {

namespace {

constexpr int32_t kMargin = 6;            // pixels around and between cells
constexpr uint8_t kSheetGrey = 40;        // the sheet's colour
constexpr uint8_t kCaptionGrey = 230;     // the captions' colour
constexpr int64_t kMaxSheetSide = 16384;

}  // namespace

bool makeContactSheet(const std::vector<Image>& images, const std::vector<std::string>& captions, int32_t columns,
                      Image& sheet, std::string* error) {
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  sheet = Image{};
  if (images.empty() || columns < 1) {
    why = images.empty() ? "no pictures for a contact sheet" : "a contact sheet needs at least one column";
    return false;
  }
  int32_t cellW = 0, cellH = 0;
  for (const Image& im : images) {
    cellW = std::max(cellW, im.width);
    cellH = std::max(cellH, im.height);
  }
  std::vector<TextBitmap> texts(images.size());
  int32_t captionH = 0;
  for (size_t i = 0; i < images.size() && i < captions.size(); ++i) {
    if (captions[i].empty()) continue;
    if (!setText(captions[i], texts[i], &why)) return false;
    captionH = std::max(captionH, texts[i].height + 2);
  }
  const int64_t count = static_cast<int64_t>(images.size());
  const int64_t cols = std::min<int64_t>(columns, count);
  const int64_t rows = (count + cols - 1) / cols;
  const int64_t sheetW = kMargin + cols * (cellW + kMargin);
  const int64_t sheetH = kMargin + rows * (captionH + cellH + kMargin);
  if (sheetW > kMaxSheetSide || sheetH > kMaxSheetSide) {
    why = "a contact sheet of " + std::to_string(sheetW) + " x " + std::to_string(sheetH) +
          " pixels is too large (at most " + std::to_string(kMaxSheetSide) + " a side)";
    return false;
  }
  sheet.width = static_cast<int32_t>(sheetW);
  sheet.height = static_cast<int32_t>(sheetH);
  sheet.rgba.assign(static_cast<size_t>(sheetW * sheetH * 4), kSheetGrey);
  for (size_t p = 3; p < sheet.rgba.size(); p += 4) sheet.rgba[p] = 255;
  auto pixel = [&](int64_t x, int64_t y) { return &sheet.rgba[static_cast<size_t>((y * sheetW + x) * 4)]; };
  for (int64_t i = 0; i < count; ++i) {
    const Image& im = images[static_cast<size_t>(i)];
    const int64_t x0 = kMargin + (i % cols) * (cellW + kMargin);
    const int64_t y0 = kMargin + (i / cols) * (captionH + cellH + kMargin);
    const TextBitmap& t = texts[static_cast<size_t>(i)];
    for (int32_t y = 0; y < t.height; ++y)
      for (int32_t x = 0; x < t.width && x < cellW; ++x) {
        const uint32_t cover = t.coverage[static_cast<size_t>(y) * static_cast<size_t>(t.width) + static_cast<size_t>(x)];
        uint8_t* p = pixel(x0 + x, y0 + y);
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((kCaptionGrey * cover + p[c] * (255 - cover)) / 255);
      }
    if (im.rgba.size() != static_cast<size_t>(im.width) * static_cast<size_t>(im.height) * 4) continue;
    for (int32_t y = 0; y < im.height; ++y)
      std::memcpy(pixel(x0, y0 + captionH + y), &im.rgba[static_cast<size_t>(y) * static_cast<size_t>(im.width) * 4],
                  static_cast<size_t>(im.width) * 4);
  }
  return true;
}

}  // namespace cwhost
