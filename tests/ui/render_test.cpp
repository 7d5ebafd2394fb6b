// Painting read back as pixels: backgrounds, tints over images, progress bars
// and the painter's angle convention.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "example_window.h"
#include "support/ui_test_app.h"
#include "ui/image.h"
#include "ui/qt/native.h"
#include "ui/repaint_batch.h"

namespace varnacle::ui {
namespace {

using testing::application;

// A 20 x 20 image: opaque red in the left half, transparent in the right half.
std::string halfImage() {
  const std::string path = ::testing::TempDir() + "half.png";
  QImage image(20, 20, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 10; ++x) image.setPixel(x, y, 0xFFFF0000);
  image.save(QString::fromStdString(path));
  return path;
}

class Pie : public Control {
 public:
  void paint(Painter& p) override { p.fillPie(rect(), 90, 90, 0xFF0000FF); }
};

TEST(Render, BackgroundColourAndImage) {
  application();
  Control c;
  c.setBkColor(0xFF00FF00);
  Image plain = renderToImage(c, 20, 20);
  ASSERT_EQ(plain.width, 20);
  EXPECT_EQ(plain.at(10, 10), 0xFF00FF00u);

  c.setBkImage("file='" + halfImage() + "'");
  Image imaged = renderToImage(c, 20, 20);
  EXPECT_EQ(imaged.at(5, 5), 0xFFFF0000u);   // image
  EXPECT_EQ(imaged.at(15, 5), 0xFF00FF00u);  // background through its transparent half
}

TEST(Render, TintCoversOnlyTheImageWithItsAlpha) {
  application();
  Control light;
  light.setBkImage(halfImage());
  light.setChangerColor(0x000000FF);  // the colour's own alpha does not count
  light.setChangerAlpha(255);
  light.setIsChangerColor(true);
  Image full = renderToImage(light, 20, 20);
  EXPECT_EQ(full.at(5, 5), 0xFF0000FFu);   // image covered by the tint
  EXPECT_EQ(full.at(15, 5), 0xFFFFFFFFu);  // no image there: untouched

  light.setChangerAlpha(128);
  Image half = renderToImage(light, 20, 20);
  const Color mixed = half.at(5, 5);
  EXPECT_NEAR(redOf(mixed), 127, 3);
  EXPECT_NEAR(blueOf(mixed), 128, 3);

  light.setChangerAlpha(0);
  EXPECT_EQ(renderToImage(light, 20, 20).at(5, 5), 0xFFFF0000u);
  light.setChangerAlpha(255);
  light.setIsChangerColor(false);
  EXPECT_EQ(renderToImage(light, 20, 20).at(5, 5), 0xFFFF0000u);
}

// A 20 x 20 image with a soft edge: opaque in the middle, its alpha falling
// off towards the border, in several colours.
std::string softImage() {
  const std::string path = ::testing::TempDir() + "soft.png";
  QImage image(20, 20, QImage::Format_ARGB32);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const int edge = std::min({x, y, 19 - x, 19 - y});
      const int alpha = std::min(255, edge * 60);
      image.setPixel(x, y, qRgba(40 + x * 10, 200 - y * 8, 90, alpha));
    }
  image.save(QString::fromStdString(path));
  return path;
}

// A light paints its image and its tint over it in one go; that must show as
// the image painted and then tinted, edge pixels included.
TEST(Render, ImageAndTintInOneGoMatchTheTwoSteps) {
  application();
  const std::string image = softImage();
  class TwoSteps : public Control {
   public:
    void paint(Painter& p) override {
      p.fillRect(rect(), 0xFF3060A0);
      p.drawImage(description, rect());
      p.drawTintedImage(description, rect(), color, alpha);
    }
    std::string description;
    Color color = 0;
    int alpha = 0;
  } twoSteps;
  twoSteps.description = image;
  Control light;
  light.setBkColor(0xFF3060A0);
  light.setBkImage(image);
  light.setIsChangerColor(true);
  for (const auto& [color, alpha] : {std::pair<Color, int>{0xFFFF0000, 255}, {0xFF00C040, 128}, {0xFF8000FF, 30}}) {
    twoSteps.color = color;
    twoSteps.alpha = alpha;
    light.setChangerColor(color);
    light.setChangerAlpha(alpha);
    const Image expected = renderToImage(twoSteps, 20, 20);
    const Image shown = renderToImage(light, 20, 20);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        const Color e = expected.at(x, y);
        const Color s = shown.at(x, y);
        ASSERT_LE(std::abs(redOf(e) - redOf(s)) + std::abs(greenOf(e) - greenOf(s)) +
                      std::abs(blueOf(e) - blueOf(s)),
                  4)
            << "at " << x << "," << y << " alpha " << alpha << std::hex << ": " << e << " vs " << s;
      }
  }
}

// A light's image follows its description, also when the text changed in
// place to another of the same length, and follows the files once the skin's
// images are reloaded.
TEST(Render, ImagesFollowTheirDescriptionAndTheirFiles) {
  application();
  class Light : public Control {
   public:
    void paint(Painter& p) override {
      p.fillRect(rect(), 0xFFFFFFFF);
      p.drawImageTintedOver(description, rect(), 0xFF0000FF, 128);
    }
    std::string description;
  } light;
  const std::string half = halfImage();
  const std::string wholeRed = "file='" + half + "' source='0,0,10,20'";
  const std::string redEdge = "file='" + half + "' source='9,0,19,20'";
  ASSERT_EQ(wholeRed.size(), redEdge.size());
  light.description = wholeRed;
  const char* where = light.description.data();
  EXPECT_GT(redOf(renderToImage(light, 20, 20).at(15, 10)), 100);  // red under the tint
  light.description = redEdge;  // copied into the same characters
  ASSERT_EQ(light.description.data(), where);
  EXPECT_EQ(renderToImage(light, 20, 20).at(15, 10), 0xFFFFFFFFu);  // clear there

  const std::string path = ::testing::TempDir() + "solid.png";
  const auto saveSolid = [&](QRgb colour) {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
  };
  saveSolid(0xFFFF0000);
  light.description = "file='" + path + "'";
  EXPECT_GT(redOf(renderToImage(light, 20, 20).at(10, 10)), 100);
  saveSolid(0xFF00FF00);
  clearImageCache();
  const Color reloaded = renderToImage(light, 20, 20).at(10, 10);
  EXPECT_LT(redOf(reloaded), 10);
  EXPECT_GT(greenOf(reloaded), 100);
}

// Clips nest as their intersection and each pop brings back the one before,
// whether the painter started without a clip or with one of its caller's.
TEST(Render, NestedClipsIntersectAndComeBack) {
  application();
  const auto paintNested = [](const QRegion* callerClip) {
    QImage canvas(30, 30, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter qp(&canvas);
    if (callerClip) qp.setClipRegion(*callerClip);
    QtPainter p(qp, nullptr);
    p.pushClip({0, 0, 20, 20});
    p.pushClip({10, 10, 30, 30});
    p.fillRect({0, 0, 30, 30}, 0xFFFF0000);  // red where both clips meet
    p.popClip();
    p.fillRect({0, 0, 5, 30}, 0xFF00FF00);  // green in the first clip only
    p.popClip();
    p.fillRect({25, 0, 30, 30}, 0xFF0000FF);  // blue wherever the caller lets it
    qp.end();
    return canvas;
  };
  const QImage plain = paintNested(nullptr);
  EXPECT_EQ(plain.pixel(15, 15), 0xFFFF0000u);
  EXPECT_EQ(plain.pixel(5, 15), 0xFFFFFFFFu);   // outside the inner clip
  EXPECT_EQ(plain.pixel(22, 22), 0xFFFFFFFFu);  // outside the outer clip
  EXPECT_EQ(plain.pixel(2, 15), 0xFF00FF00u);
  EXPECT_EQ(plain.pixel(2, 25), 0xFFFFFFFFu);   // below the first clip
  EXPECT_EQ(plain.pixel(27, 27), 0xFF0000FFu);  // no clip left

  // The caller's clip: the top and the bottom rows, not the middle.
  const QRegion caller = QRegion(0, 0, 30, 12) + QRegion(0, 18, 30, 12);
  const QImage clipped = paintNested(&caller);
  EXPECT_EQ(clipped.pixel(15, 11), 0xFFFF0000u);
  EXPECT_EQ(clipped.pixel(15, 15), 0xFFFFFFFFu);  // the caller's gap
  EXPECT_EQ(clipped.pixel(15, 19), 0xFFFF0000u);
  EXPECT_EQ(clipped.pixel(2, 5), 0xFF00FF00u);
  EXPECT_EQ(clipped.pixel(27, 5), 0xFF0000FFu);
  EXPECT_EQ(clipped.pixel(27, 15), 0xFFFFFFFFu);  // still the caller's gap
}

TEST(Render, TintWithoutImageCoversTheControl) {
  application();
  Control light;
  light.setChangerColor(0xFF00FF00);
  light.setChangerAlpha(255);
  light.setIsChangerColor(true);
  EXPECT_EQ(renderToImage(light, 10, 10).at(3, 3), 0xFF00FF00u);
}

TEST(Render, ProgressFillsItsShareOfTheBar) {
  application();
  Progress p;
  p.setForeColor(0xFF000000);
  p.setMaxValue(200);
  p.setValue(50);  // a quarter
  Image img = renderToImage(p, 100, 10);
  EXPECT_EQ(img.at(10, 5), 0xFF000000u);
  EXPECT_EQ(img.at(30, 5), 0xFFFFFFFFu);
  p.setMinValue(100);  // value clamps up to the new minimum: empty
  EXPECT_EQ(p.value(), 100);
  EXPECT_EQ(renderToImage(p, 100, 10).at(2, 5), 0xFFFFFFFFu);
}

TEST(Render, PieAnglesRunClockwiseFromThePositiveXAxis) {
  application();
  Pie pie;
  Image img = renderToImage(pie, 100, 100);
  // Start 90 (straight down) sweeping 90 clockwise ends pointing left: the
  // lower-left quarter.
  EXPECT_EQ(img.at(30, 70), 0xFF0000FFu);
  EXPECT_EQ(img.at(70, 70), 0xFFFFFFFFu);
  EXPECT_EQ(img.at(30, 30), 0xFFFFFFFFu);
  EXPECT_EQ(img.at(70, 30), 0xFFFFFFFFu);
}

TEST(Render, MissingImageDrawsNothingAndSaysSo) {
  application();
  class Probe : public Control {
   public:
    void paint(Painter& p) override {
      drawn = p.drawImage("file='no/such/image.png'", rect());
      tinted = p.drawTintedImage("no/such/image.png", rect(), 0xFF0000FF, 255);
    }
    bool drawn = true;
    bool tinted = true;
  } probe;
  Image img = renderToImage(probe, 10, 10);
  EXPECT_FALSE(probe.drawn);
  EXPECT_FALSE(probe.tinted);
  EXPECT_EQ(img.at(5, 5), 0xFFFFFFFFu);
}

TEST(Render, WindowRendersItsWholeTree) {
  application();
  testing::ExampleWindow window;
  ASSERT_TRUE(window.create(nullptr, "render"));
  Image img = renderToImage(window);
  ASSERT_EQ(img.width, 400);
  ASSERT_EQ(img.height, 300);
  EXPECT_EQ(img.at(2, 2), 0xFF203040u);  // the title bar
  Control* light = window.findControl("light");
  const Rect r = light->rect();
  EXPECT_EQ(img.at(r.left + 2, r.top + 2), 0xFF000000u);
  EXPECT_EQ(img.at(r.left - 2, r.top + 2), 0xFF808080u);  // its picture around it
  // A tint batch on the light shows at the next render.
  light->setChangerColor(0xFFFF00FF);
  light->setIsChangerColor(true);
  EXPECT_EQ(renderToImage(window).at(r.left + 2, r.top + 2), 0xFFFF00FFu);
  light->setVisible(false);
  EXPECT_EQ(renderToImage(window).at(r.left + 2, r.top + 2), 0xFF808080u);
}

// What the window shows on its screen, as the toolkit last painted it.
QImage onScreen(Window& window) {
  QWidget* top = topWidgetOf(window);
  return QGuiApplication::primaryScreen()->grabWindow(top->winId()).toImage();
}

Color pixel(const QImage& image, Point at) {
  return image.pixel(at.x, at.y);
}

// The example window shown, its light tinted blue over its picture.
class ShownPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    ASSERT_TRUE(window.create(nullptr, "render"));
    window.show(true, false);
    light = window.findControl("light");
    light->setChangerColor(0xFF0000FF);
    light->setIsChangerColor(true);
    testing::pump(50);
    const Rect r = light->rect();
    inLight = {r.left + 2, r.top + 2};
    besideLight = {r.right + 4, r.top + 2};
  }
  testing::ExampleWindow window;
  Control* light = nullptr;
  Point inLight;
  Point besideLight;
};

// A picture with lights keeps what lies below it between frames; every change
// below it, of the lights or of its own look must still show.
TEST_F(ShownPicture, FollowsEveryChangeBelowAndOfItsLights) {
  Control* root = window.findControl("root");
  Control* picture = window.findControl("picture");
  picture->setBkColor(0x80FF0000);  // half-transparent over the white root
  testing::pump(50);
  const auto near = [](Color c, int red, int green, int blue) {
    return std::abs(redOf(c) - red) <= 2 && std::abs(greenOf(c) - green) <= 2 &&
           std::abs(blueOf(c) - blue) <= 2;
  };
  QImage shown = onScreen(window);
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(pixel(shown, inLight), 0xFF0000FFu);
  EXPECT_TRUE(near(pixel(shown, besideLight), 255, 127, 127)) << std::hex << pixel(shown, besideLight);

  // A frame: only the light changes.
  light->setChangerColor(0xFF00FF00);
  testing::pump(20);
  shown = onScreen(window);
  EXPECT_EQ(pixel(shown, inLight), 0xFF00FF00u);
  EXPECT_TRUE(near(pixel(shown, besideLight), 255, 127, 127));

  // A window layer below the picture changes.
  root->setBkColor(0xFF0000FF);
  testing::pump(20);
  shown = onScreen(window);
  EXPECT_TRUE(near(pixel(shown, besideLight), 128, 0, 127)) << std::hex << pixel(shown, besideLight);
  EXPECT_EQ(pixel(shown, inLight), 0xFF00FF00u);

  // The picture's own look changes.
  picture->setBkColor(0xFFFFFF00);
  testing::pump(20);
  EXPECT_EQ(pixel(onScreen(window), besideLight), 0xFFFFFF00u);

  // The light's tint goes out: it paints itself again, the picture still shows around it.
  light->setIsChangerColor(false);
  testing::pump(20);
  shown = onScreen(window);
  EXPECT_EQ(pixel(shown, inLight), 0xFF000000u);
  EXPECT_EQ(pixel(shown, besideLight), 0xFFFFFF00u);
  picture->setBkColor(0x80FF0000);
  testing::pump(20);
  EXPECT_TRUE(near(pixel(onScreen(window), besideLight), 128, 0, 127));

  // And on again.
  light->setIsChangerColor(true);
  testing::pump(20);
  EXPECT_EQ(pixel(onScreen(window), inLight), 0xFF00FF00u);
}

// A frame's tints are repainted when the outermost batch closes, all of them.
TEST_F(ShownPicture, BatchedTintsShowWhenTheOutermostBatchCloses) {
  ASSERT_EQ(pixel(onScreen(window), inLight), 0xFF0000FFu);
  {
    const RepaintBatch frame;
    {
      const RepaintBatch inner;
      light->setChangerColor(0xFFFF0000);
    }
    testing::pump(20);
    EXPECT_EQ(pixel(onScreen(window), inLight), 0xFF0000FFu) << "asked for only at the outer close";
    light->setChangerAlpha(128);
  }
  testing::pump(20);
  const Color shown = pixel(onScreen(window), inLight);
  EXPECT_NEAR(redOf(shown), 128, 3);  // half red over the black light
  EXPECT_NEAR(blueOf(shown), 0, 3);
}

class ManyLightsWindow : public Window {
 public:
  std::string layoutName() const override { return VARNACLE_UI_TESTDATA "/many_lights.xml"; }
  std::string windowClassName() const override { return "ManyLightsWnd"; }
};

// A frame that changes most lights of a picture repaints the area they span
// at once; one that changes a few repaints just those. Either way every light
// shows its new tint and the picture between them stays as it was.
TEST(ShownManyLights, FramesOfAllOrFewLightsShowEveryTint) {
  application();
  ManyLightsWindow window;
  ASSERT_TRUE(window.create(nullptr, "many lights"));
  window.show(true, false);
  std::vector<Control*> lights;
  for (int i = 0; i < 40; ++i) {
    lights.push_back(window.findControl("light_" + std::to_string(i)));
    ASSERT_NE(lights.back(), nullptr);
    lights.back()->setIsChangerColor(true);
  }
  const auto frame = [&](const std::vector<int>& which, Color color) {
    const RepaintBatch batch;
    for (int i : which) lights[static_cast<std::size_t>(i)]->setChangerColor(color);
  };
  const auto centre = [&](int i) {
    const Rect r = lights[static_cast<std::size_t>(i)]->rect();
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  std::vector<int> all(40);
  for (int i = 0; i < 40; ++i) all[static_cast<std::size_t>(i)] = i;
  frame(all, 0xFF0000FF);
  testing::pump(50);
  const Rect first = lights[0]->rect();
  const Point between{first.right + 2, first.top + 4};

  frame(all, 0xFF00FF00);
  testing::pump(20);
  QImage shown = onScreen(window);
  ASSERT_FALSE(shown.isNull());
  for (int i = 0; i < 40; ++i) EXPECT_EQ(pixel(shown, centre(i)), 0xFF00FF00u) << "light " << i;
  EXPECT_EQ(pixel(shown, between), 0xFF808080u);

  frame({3, 17, 38}, 0xFFFF0000);
  testing::pump(20);
  shown = onScreen(window);
  for (int i = 0; i < 40; ++i) {
    const bool changed = i == 3 || i == 17 || i == 38;
    EXPECT_EQ(pixel(shown, centre(i)), changed ? 0xFFFF0000u : 0xFF00FF00u) << "light " << i;
  }
  EXPECT_EQ(pixel(shown, between), 0xFF808080u);

  // A light's text longer than the light stays inside it: nothing of it
  // shows in the gap to the next light, however the frame repaints it.
  lights[0]->setTextColor(0xFFFF00FF);
  lights[0]->setText("WWWWWWWWWWWW");
  for (const std::vector<int>& which : {all, std::vector<int>{0}}) {
    frame(which, which.size() == 1 ? 0xFF0000FF : 0xFF00FFFF);
    testing::pump(20);
    shown = onScreen(window);
    const Rect next = lights[1]->rect();
    for (int y = first.top; y < first.bottom; ++y)
      for (int x = first.right; x < next.left; ++x)
        ASSERT_EQ(pixel(shown, {x, y}), 0xFF808080u) << "at " << x << "," << y << ", " << which.size() << " lights";
  }
}

}  // namespace
}  // namespace varnacle::ui
