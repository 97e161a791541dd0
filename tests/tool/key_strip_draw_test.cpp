// The key strip as the tool draws it: what lands on which pixel of the
// viewport at a known zoom and scroll.
#include <algorithm>
#include <cmath>

#include "host/core/views.h"
#include "tool/glyph_atlas.h"
#include "tool/key_strip.h"
#include "tool/mix_keys.h"
#include "tool/selection.h"
#include "tool_fixture.h"

namespace {

// A primitive of the tool's, its corners as viewport pixels.
struct StripPrim {
  cwhost::DrawPrimitive::Kind kind;
  std::vector<std::array<double, 2>> at;
  std::array<float, 4> color;
  std::array<std::array<double, 2>, 4> uvs;
  bool textured;
  std::string text;
};

}  // namespace

class KeyStripDraw : public ToolHost {
 protected:
  void SetUp() override {
    ToolHost::SetUp();
    host.setFramesPerSecond(24.0);
    cwtest::LatticeSpec spec = boxSpec(2, 2, 2);
    spec.keys = {cwtest::LatticeSpec::Key{0.0f, 0, nullptr}, cwtest::LatticeSpec::Key{1.0f, 1, nullptr},
                 cwtest::LatticeSpec::Key{1.5f, 0, nullptr}};
    first = addLattice(spec, "Cage");
    spec.keys = {cwtest::LatticeSpec::Key{1.0f, 0, nullptr}};
    second = addLattice(spec, "Other");
    ASSERT_TRUE(activate());
    ASSERT_TRUE(add1LatticeToSelection(state(), first, 0));
    refreshMixEnvelopeKeyData(state(), 0);
  }

  // The tool's primitives in the viewport, projected.
  std::vector<StripPrim> draw() {
    host.drawViewports();
    std::vector<StripPrim> out;
    const cwhost::Viewport& view = host.scene().viewports[0];
    for (const cwhost::DrawPrimitive& p : host.drawing()) {
      if (p.item != 0 || p.viewport != 0) continue;
      StripPrim s{p.kind, {}, p.color, p.uvs, p.textured, p.text};
      for (const cwhost::Vec3& w : p.points) {
        double x = 0, y = 0, depth = 0;
        EXPECT_TRUE(cwhost::projectToViewport(view, w, &x, &y, &depth));
        s.at.push_back({x, y});
      }
      out.push_back(s);
    }
    return out;
  }

  // Vertical lines at pixel column x: their (top, bottom) rows.
  static std::vector<std::pair<long, long>> columnLines(const std::vector<StripPrim>& prims, long x,
                                                         const float* rgb = nullptr) {
    std::vector<std::pair<long, long>> out;
    for (const StripPrim& p : prims) {
      if (p.kind != cwhost::DrawPrimitive::Kind::Line) continue;
      if (std::lround(p.at[0][0]) != x || std::lround(p.at[1][0]) != x) continue;
      if (rgb != nullptr && (p.color[0] != rgb[0] || p.color[1] != rgb[1] || p.color[2] != rgb[2])) continue;
      const long a = std::lround(p.at[0][1]), b = std::lround(p.at[1][1]);
      out.emplace_back(std::min(a, b), std::max(a, b));
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  // Glyph indexes of the textured quads whose centre lies within 1 pixel
  // of column x and whose top is row y, left to right.
  static std::vector<int> glyphsAround(const std::vector<StripPrim>& prims, double x, long top, double reach) {
    std::vector<std::pair<double, int>> found;
    for (const StripPrim& p : prims) {
      if (p.kind != cwhost::DrawPrimitive::Kind::Quad || !p.textured) continue;
      const double cx = (p.at[0][0] + p.at[1][0]) / 2;
      if (std::fabs(cx - x) > reach || std::lround(p.at[0][1]) != top) continue;
      const int col = static_cast<int>(std::lround(p.uvs[0][0] * GLYPH_COLUMNS));
      const int row = static_cast<int>(std::lround(p.uvs[0][1] * GLYPH_COLUMNS));
      found.emplace_back(cx, row * GLYPH_COLUMNS + col);
    }
    std::sort(found.begin(), found.end());
    std::vector<int> glyphs;
    for (auto& f : found) glyphs.push_back(f.second);
    return glyphs;
  }

  LatticeData* first = nullptr;
  LatticeData* second = nullptr;
  static constexpr float kBlack[3] = {0, 0, 0};
  static constexpr float kGreen[3] = {0.05f, 1.0f, 0.1f};
  static constexpr float kYellow[3] = {1.0f, 1.0f, 0.3f};
};

// 640 x 480 viewport: the strip's top line is row 448.  Nothing was ever
// pressed, so the scale comes from the frame rate and the zoom alone.
TEST_F(KeyStripDraw, RulerNumbersAndKeysSitOnTheirPixelsAtTheDefaultScale) {
  state()->timelineX = -40;
  state()->pixelsPerFrame = 16.0;
  const auto prims = draw();
  // Frame f at column 16 f + 40: every 24th long and numbered, every 8th
  // medium and numbered, the others short.
  EXPECT_EQ(columnLines(prims, 40, kBlack), (std::vector<std::pair<long, long>>{{460, 468}}));
  EXPECT_EQ(columnLines(prims, 168, kBlack), (std::vector<std::pair<long, long>>{{460, 465}}));
  EXPECT_EQ(columnLines(prims, 56, kBlack), (std::vector<std::pair<long, long>>{{460, 463}}));
  EXPECT_EQ(columnLines(prims, 8, kBlack), (std::vector<std::pair<long, long>>{{460, 463}}));  // frame -2
  EXPECT_TRUE(columnLines(prims, -8, kBlack).empty());
  // Numbers 10 pixels high, their top half a pixel under the top line.
  EXPECT_EQ(glyphsAround(prims, 424, 449, 6), (std::vector<int>{2, 4}));
  EXPECT_EQ(glyphsAround(prims, 168, 449, 1), (std::vector<int>{8}));
  EXPECT_EQ(glyphsAround(prims, 40, 449, 1), (std::vector<int>{0}));
  EXPECT_TRUE(glyphsAround(prims, 56, 449, 1).empty());
  // Keys at 0 s, 1 s (a corner) and 1.5 s: solid green marks, the corner
  // with its foot.
  EXPECT_EQ(columnLines(prims, 40, kGreen), (std::vector<std::pair<long, long>>{{468, 479}}));
  EXPECT_EQ(columnLines(prims, 424, kGreen), (std::vector<std::pair<long, long>>{{468, 479}}));
  EXPECT_EQ(columnLines(prims, 616, kGreen), (std::vector<std::pair<long, long>>{{468, 479}}));
  int feet = 0;
  for (const StripPrim& p : prims)
    feet += p.kind == cwhost::DrawPrimitive::Kind::Line && std::lround(p.at[0][0]) == 424 &&
            std::lround(p.at[1][0]) == 427;
  EXPECT_EQ(feet, 2);
  // The label: the lattice's name in quotes, above the strip.
  const auto label = std::find_if(prims.begin(), prims.end(), [](const StripPrim& p) { return !p.text.empty(); });
  ASSERT_NE(label, prims.end());
  EXPECT_EQ(label->text, "\"Cage\"");
  EXPECT_EQ(std::lround(label->at[0][0]), 4);
  EXPECT_EQ(std::lround(label->at[0][1]), 446);
}

// Scrolled and zoomed at 30 frames per second, two lattices selected and a
// range chosen: tens numbered, fives medium, a key of one lattice only
// drawn broken, keys in the range yellow.
TEST_F(KeyStripDraw, ScrolledZoomedStripWithRangeAndPartlyKeyedTimes) {
  host.setFramesPerSecond(30.0);
  ASSERT_TRUE(add1LatticeToSelection(state(), second, 0));
  refreshMixEnvelopeKeyData(state(), 0);
  state()->timelineX = 100;
  state()->pixelsPerFrame = 16.0;
  state()->keyRangeStart = 1.2;
  state()->keyRangeEnd = 1.6;
  const auto prims = draw();
  // Frame f at 16 f - 100; the first whole frame right of the left end is 7.
  EXPECT_EQ(columnLines(prims, 12, kBlack), (std::vector<std::pair<long, long>>{{460, 463}}));
  EXPECT_TRUE(columnLines(prims, -4, kBlack).empty());
  EXPECT_EQ(columnLines(prims, 60, kBlack), (std::vector<std::pair<long, long>>{{460, 468}}));
  EXPECT_EQ(columnLines(prims, 140, kBlack), (std::vector<std::pair<long, long>>{{460, 465}}));
  EXPECT_EQ(glyphsAround(prims, 60, 449, 6), (std::vector<int>{1, 0}));
  EXPECT_TRUE(glyphsAround(prims, 140, 449, 6).empty());
  // 1 s (frame 30, both lattices): solid green; 1.5 s (frame 45, one
  // lattice, inside the range): broken yellow.
  EXPECT_EQ(columnLines(prims, 380, kGreen), (std::vector<std::pair<long, long>>{{468, 479}}));
  EXPECT_EQ(columnLines(prims, 620, kYellow),
            (std::vector<std::pair<long, long>>{{469, 471}, {473, 475}, {477, 479}}));
  EXPECT_TRUE(columnLines(prims, 620, kGreen).empty());
  // The range from 1.2 s (column 476) to the strip's right end.
  bool range = false;
  for (const StripPrim& p : prims)
    range |= p.kind == cwhost::DrawPrimitive::Kind::Quad && !p.textured && p.color[3] == 0.3f &&
             std::lround(p.at[0][0]) == 476 && std::lround(p.at[1][0]) == 640 && std::lround(p.at[2][1]) == 459;
  EXPECT_TRUE(range);
  const auto label = std::find_if(prims.begin(), prims.end(), [](const StripPrim& p) { return !p.text.empty(); });
  ASSERT_NE(label, prims.end());
  EXPECT_EQ(label->text, "\"Cage\" and 1 cage");
}

// A zoom out of range (a damaged scene block, a stale value) is brought
// into range before anything is drawn with it.
TEST_F(KeyStripDraw, ZoomOutOfRangeIsBoundedBeforeUse) {
  state()->timelineX = 0;
  state()->pixelsPerFrame = 1e9;
  auto prims = draw();
  EXPECT_EQ(state()->pixelsPerFrame, KEY_STRIP_MAX_ZOOM);
  EXPECT_DOUBLE_EQ(state()->secondsPerPixel, 1.0 / 24.0 / KEY_STRIP_MAX_ZOOM);
  EXPECT_EQ(columnLines(prims, 128, kBlack), (std::vector<std::pair<long, long>>{{460, 463}}));
  state()->pixelsPerFrame = std::nan("");
  prims = draw();
  EXPECT_EQ(state()->pixelsPerFrame, TOOL_DEFAULT_PIXELS_PER_FRAME);
  EXPECT_EQ(columnLines(prims, 16, kBlack), (std::vector<std::pair<long, long>>{{460, 463}}));
}

// Every glyph is white on a dark outline in its own cell, clear elsewhere,
// and the digits differ from one another.
TEST(GlyphAtlas, GlyphsAreOutlinedShapesInTheirOwnCells) {
  const uint8_t* atlas = getGlyphAtlas();
  auto texel = [&](int x, int y) { return atlas + (y * GLYPH_ATLAS_SIZE + x) * 4; };
  std::vector<std::vector<uint8_t>> digits;
  for (int glyph = 0; glyph < GLYPH_COUNT; ++glyph) {
    double u0, v0, u1, v1;
    ASSERT_TRUE(getGlyphUVs(glyph, &u0, &v0, &u1, &v1));
    const int left = static_cast<int>(u0 * GLYPH_ATLAS_SIZE), top = static_cast<int>(v0 * GLYPH_ATLAS_SIZE);
    EXPECT_EQ(static_cast<int>((u1 - u0) * GLYPH_ATLAS_SIZE), GLYPH_CELL_SIZE);
    int white = 0;
    std::vector<uint8_t> shape;
    for (int y = 0; y < GLYPH_CELL_SIZE; ++y)
      for (int x = 0; x < GLYPH_CELL_SIZE; ++x) {
        const uint8_t* t = texel(left + x, top + y);
        const bool lit = t[0] == 255 && t[3] == 255;
        white += lit;
        shape.push_back(lit);
        if (x == 0 || y == 0 || x == GLYPH_CELL_SIZE - 1 || y == GLYPH_CELL_SIZE - 1) {
          EXPECT_FALSE(lit);
        }
        // A lit texel touches no clear one: the outline closes every shape.
        if (!lit) continue;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) EXPECT_EQ(texel(left + x + dx, top + y + dy)[3], 255);
      }
    EXPECT_GT(white, 20) << "glyph " << glyph;
    if (glyph < 10) digits.push_back(shape);
  }
  for (size_t a = 0; a < digits.size(); ++a)
    for (size_t b = a + 1; b < digits.size(); ++b) EXPECT_NE(digits[a], digits[b]) << a << " " << b;
  double u0, v0, u1, v1;
  EXPECT_FALSE(getGlyphUVs(GLYPH_COUNT, &u0, &v0, &u1, &v1));
  EXPECT_FALSE(getGlyphUVs(-1, &u0, &v0, &u1, &v1));
}
