// PNG files through libpng's simplified writing interface.
#include <png.h>

#include <cstdio>

#include "host/render/render.h"

namespace cwhost {

bool writePng(const Image& image, const std::string& path, std::string* error) {
  std::string localError;
  std::string& why = error != nullptr ? *error : localError;
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4) {
    why = path + ": nothing to write (an empty or inconsistent picture)";
    return false;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), image.width * 4, nullptr) == 0) {
    why = path + ": cannot write the PNG file (" + png.message + ")";
    png_image_free(&png);
    std::remove(path.c_str());
    return false;
  }
  return true;
}

}  // namespace cwhost
