// The host built without Mesa (the Windows cross-build): the pictures'
// functions exist and say why they cannot work.
#include "host/render/render.h"

namespace cwhost {

namespace {

const char kNotBuilt[] = "rendering not built into this host (it needs Mesa, libpng and FreeType)";

bool notBuilt(std::string* error) {
  if (error != nullptr) *error = kNotBuilt;
  return false;
}

}  // namespace

bool renderingAvailable() { return false; }

bool renderViewport(Host&, int32_t, int32_t, int32_t, Image& out, std::string* error) {
  out = Image{};
  return notBuilt(error);
}

bool writePng(const Image&, const std::string&, std::string* error) { return notBuilt(error); }

bool makeContactSheet(const std::vector<Image>&, const std::vector<std::string>&, int32_t, Image& sheet,
                      std::string* error) {
  sheet = Image{};
  return notBuilt(error);
}

}  // namespace cwhost
