// The GIF player's frames: order, delays, disposal, transparency, looping,
// clipping, interlacing, limits, and every cut of a file handled safely.
#include "services/picture/gif_animation.h"

#include <array>

#include "tests/support/check.h"
#include "tests/support/corpus.h"
#include "tests/support/gif_builder.h"

namespace {

const GifBuilder::Colour kRed = {255, 0, 0};
const GifBuilder::Colour kGreen = {0, 255, 0};
const GifBuilder::Colour kBlue = {0, 0, 255};
const GifBuilder::Colour kWhite = {255, 255, 255};

// Blue, green, red, alpha of the canvas pixel.
std::array<int, 4> Pixel(const Image& canvas, int x, int y) {
  const std::uint8_t* p = canvas.Row(y) + x * 4;
  return {p[0], p[1], p[2], p[3]};
}
const std::array<int, 4> kRedPixel = {0, 0, 255, 255};
const std::array<int, 4> kGreenPixel = {0, 255, 0, 255};
const std::array<int, 4> kBluePixel = {255, 0, 0, 255};
const std::array<int, 4> kClear = {0, 0, 0, 0};

struct Player {
  std::vector<std::uint8_t> bytes;
  std::optional<GifAnimation> animation;
  std::optional<Image> canvas;

  explicit Player(std::vector<std::uint8_t> file) : bytes(std::move(file)) {
    animation = GifAnimation::Open(bytes);
    if (animation) canvas = AllocateImage(animation->width(), animation->height());
  }
  bool ok() const { return animation && canvas; }
  std::size_t Step() { return animation->ShowNext(*canvas); }
};

}  // namespace

TEST(FramesPlayInOrderWithTheirDelays) {
  Player p(GifBuilder(2, 2, {kRed, kGreen, kBlue, kWhite})
               .Control(5, 1)
               .Image(0, 0, 2, 2, {0, 0, 0, 0})
               .Control(0, 1)
               .Image(1, 0, 1, 2, {1, 2})
               .Finish());
  CHECK(p.ok());
  if (!p.ok()) return;
  CHECK_EQ(p.animation->FrameCount(), std::size_t{2});
  CHECK_EQ(p.animation->Frame(0).delayMs, 50u);
  CHECK_EQ(p.animation->Frame(1).delayMs, kGifDefaultDelayMs);  // 0 is shown as the default
  CHECK_EQ(p.animation->PlayCount(), 1u);                       // no loop extension: played once

  CHECK_EQ(p.Step(), std::size_t{0});
  CHECK(Pixel(*p.canvas, 1, 1) == kRedPixel);
  CHECK(!p.animation->Finished());
  CHECK_EQ(p.Step(), std::size_t{1});
  CHECK(Pixel(*p.canvas, 0, 0) == kRedPixel);  // kept from the first frame
  CHECK(Pixel(*p.canvas, 1, 0) == kGreenPixel);
  CHECK(Pixel(*p.canvas, 1, 1) == kBluePixel);
  CHECK(p.animation->Finished());
}

TEST(DisposalClearsOrRestoresTheFrameRectangle) {
  struct Row {
    const char* name;
    int disposal;
    std::array<int, 4> underSecondFrame;  // (0,0) after the third frame
  };
  const Row rows[] = {
      {"keep", 1, kGreenPixel},
      {"clear to transparent", 2, kClear},
      {"restore previous", 3, kRedPixel},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    Player p(GifBuilder(2, 1, {kRed, kGreen, kBlue})
                 .Control(10, 1)
                 .Image(0, 0, 2, 1, {0, 0})
                 .Control(10, row.disposal)
                 .Image(0, 0, 1, 1, {1})
                 .Control(10, 1)
                 .Image(1, 0, 1, 1, {2})
                 .Finish());
    CHECK(p.ok());
    if (!p.ok()) continue;
    p.Step();
    p.Step();
    CHECK(Pixel(*p.canvas, 0, 0) == kGreenPixel);
    p.Step();
    CHECK(Pixel(*p.canvas, 0, 0) == row.underSecondFrame);
    CHECK(Pixel(*p.canvas, 1, 0) == kBluePixel);
  }
}

TEST(TransparentIndexLeavesWhatIsUnderneath) {
  Player p(GifBuilder(2, 1, {kRed, kGreen, kBlue})
               .Control(10, 1)
               .Image(0, 0, 1, 1, {0})  // (1,0) never drawn: stays transparent
               .Control(10, 1, 1)
               .Image(0, 0, 2, 1, {1, 2})
               .Finish());
  CHECK(p.ok());
  if (!p.ok()) return;
  p.Step();
  CHECK(Pixel(*p.canvas, 1, 0) == kClear);
  p.Step();
  CHECK(Pixel(*p.canvas, 0, 0) == kRedPixel);
  CHECK(Pixel(*p.canvas, 1, 0) == kBluePixel);
}

TEST(LoopCountDecidesWhenPlayingEnds) {
  struct Row {
    const char* name;
    int loop;  // -1: no extension
    std::uint32_t plays;
  };
  const Row rows[] = {{"no extension", -1, 1}, {"for ever", 0, 0}, {"two repeats", 2, 3}};
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    GifBuilder gif(1, 1, {kRed, kGreen});
    if (row.loop >= 0) gif.Loop(row.loop);
    Player p(
        gif.Control(10, 1).Image(0, 0, 1, 1, {0}).Control(10, 1).Image(0, 0, 1, 1, {1}).Finish());
    CHECK(p.ok());
    if (!p.ok()) continue;
    CHECK_EQ(p.animation->PlayCount(), row.plays);
    std::uint32_t shown = 0;
    while (!p.animation->Finished() && shown < 100) {
      std::size_t frame = p.Step();
      CHECK_EQ(frame, std::size_t{shown % 2});
      ++shown;
    }
    CHECK_EQ(shown, row.plays == 0 ? 100u : row.plays * 2);
    // Starting over shows the first frame on a clear canvas.
    CHECK_EQ(p.Step(), std::size_t{0});
    CHECK(Pixel(*p.canvas, 0, 0) == kRedPixel);
  }
}

TEST(FramesOutsideTheScreenAreClipped) {
  Player p(GifBuilder(2, 2, {kRed, kGreen})
               .Control(10, 2)
               .Image(1, 1, 3, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1})
               .Control(10, 1)
               .Image(5, 5, 1, 1, {0})
               .Finish());
  CHECK(p.ok());
  if (!p.ok()) return;
  p.Step();
  CHECK(Pixel(*p.canvas, 1, 1) == kGreenPixel);
  CHECK(Pixel(*p.canvas, 0, 0) == kClear);
  p.Step();  // disposal of a clipped rectangle, then a frame wholly outside
  CHECK(Pixel(*p.canvas, 1, 1) == kClear);
}

TEST(InterlacedRowsGoWhereThePassesPutThem) {
  // Rows in the data: 0, 4 (pass 1), 2 (pass 3), 1, 3 (pass 4).
  Player p(GifBuilder(1, 5, {kRed, kGreen, kBlue, kWhite})
               .Control(10, 1)
               .Image(0, 0, 1, 5, {0, 1, 2, 3, 0}, true)
               .Control(10, 1)
               .Image(0, 0, 1, 1, {0})
               .Finish());
  CHECK(p.ok());
  if (!p.ok()) return;
  p.Step();
  const std::array<int, 4> kWhitePixel = {255, 255, 255, 255};
  CHECK(Pixel(*p.canvas, 0, 0) == kRedPixel);
  CHECK(Pixel(*p.canvas, 0, 4) == kGreenPixel);
  CHECK(Pixel(*p.canvas, 0, 2) == kBluePixel);
  CHECK(Pixel(*p.canvas, 0, 1) == kWhitePixel);
  CHECK(Pixel(*p.canvas, 0, 3) == kRedPixel);
}

TEST(NoAnimationWithoutAPlayableGif) {
  struct Row {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<std::uint8_t> huge = GifBuilder(1, 1, {kRed}).Image(0, 0, 1, 1, {0}).Finish();
  huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;  // 65535 x 65535 screen
  std::vector<std::uint8_t> empty = GifBuilder(0, 1, {kRed}).Image(0, 0, 1, 1, {0}).Finish();
  const Row rows[] = {
      {"not a GIF", {'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"no image", GifBuilder(2, 2, {kRed}).Control(10, 1).Finish()},
      {"screen past the limits", huge},
      {"zero-width screen", empty},
      {"header only", {'G', 'I', 'F', '8', '9', 'a', 1, 0}},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    CHECK(!GifAnimation::Open(row.bytes).has_value());
  }
}

TEST(FrameCountIsCapped) {
  GifBuilder gif(1, 1, {kRed});
  for (std::size_t i = 0; i < kMaxGifFrames + 10; ++i) gif.Control(1, 1).Image(0, 0, 1, 1, {0});
  std::vector<std::uint8_t> bytes = gif.Finish();
  auto animation = GifAnimation::Open(bytes);
  CHECK(animation.has_value());
  if (animation) CHECK_EQ(animation->FrameCount(), kMaxGifFrames);
}

TEST(EveryCutOfAFileIsHandled) {
  std::vector<std::uint8_t> whole = GifBuilder(3, 2, {kRed, kGreen, kBlue})
                                        .Loop(0)
                                        .Control(10, 3)
                                        .Image(0, 0, 3, 2, {0, 1, 2, 2, 1, 0})
                                        .Control(10, 2, 0)
                                        .Image(1, 0, 2, 2, {0, 1, 2, 0})
                                        .Finish();
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    Player p(std::vector<std::uint8_t>(whole.begin(),
                                       whole.begin() + static_cast<std::ptrdiff_t>(size)));
    if (!p.ok()) continue;
    for (int i = 0; i < 5; ++i) p.Step();
  }
  Player p(whole);
  CHECK(p.ok());
  if (p.ok()) CHECK_EQ(p.animation->FrameCount(), std::size_t{2});
}

TEST(CorpusAnimationsPlay) {
  struct Row {
    const char* path;
    std::size_t frames;
  };
  const Row rows[] = {
      {"gif/pillow/chi.gif", 31},
      {"gif/pillow/iss634.gif", 42},
      {"gif/pillow/dispose_bgnd.gif", 5},
      {"gif/pillow/dispose_prev.gif", 5},
      {"gif/pillow/dispose_bgnd_transparency.gif", 10},
      {"gif/pillow/transparent_dispose.gif", 3},
      {"gif/pillow/hopper.gif", 1},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.path);
    Player p(corpus::ReadFile(corpus::kRoot + row.path));
    CHECK(p.ok());
    if (!p.ok()) continue;
    CHECK_EQ(p.animation->FrameCount(), row.frames);
  }
  // Every GIF of the corpora plays twice through without a fault.
  for (const corpus::Row& row : corpus::Manifest()) {
    if (row.format != "gif") continue;
    CHECK_CONTEXT(row.path);
    Player p(corpus::ReadFile(corpus::kRoot + row.path));
    if (!p.ok()) continue;
    for (std::size_t i = 0; i < 2 * p.animation->FrameCount(); ++i) p.Step();
  }
}
