// The program's own controls on the real window library (offscreen): what they
// put on the screen, read back from rendered pixels, and how layouts name them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "app/chart_view.h"
#include "app/circle_progress.h"
#include "app/qt/hosted_widget.h"
#include "app/wnd_ui.h"
#include "app_test_support.h"
#include "ui/application.h"
#include "ui/image.h"

namespace varnacle::app {
namespace {

namespace fs = std::filesystem;

constexpr ui::Color kRed = 0xFFFF0000;
constexpr ui::Color kBlue = 0xFF0000FF;
constexpr ui::Color kWhite = 0xFFFFFFFF;
constexpr ui::Color kGreen = 0xFF00FF00;

// The pixel at `radius` from the centre of a w x h image, at `deg` clockwise
// from the positive x axis.
ui::Color pixelAtAngle(const ui::Image& img, double deg, double radius) {
  const double rad = deg * std::numbers::pi / 180.0;
  return img.at(static_cast<int>(std::lround(img.width / 2.0 + radius * std::cos(rad))),
                static_cast<int>(std::lround(img.height / 2.0 + radius * std::sin(rad))));
}

ui::Image renderRing(int value) {
  CCircleProgressUI ring;
  ring.setBkColor(kRed);
  ring.setForeColor(kBlue);
  ring.setMinValue(0);
  ring.setMaxValue(100);
  ring.setValue(value);
  return ui::renderToImage(ring, 100, 100);
}

TEST(CircleProgress, AtZeroShowsOnlyTheBackgroundRingAndTheWhiteCentre) {
  const auto img = renderRing(0);
  for (double deg = 0; deg < 360; deg += 30) EXPECT_EQ(pixelAtAngle(img, deg, 45), kRed) << deg;
  EXPECT_EQ(img.at(50, 50), kWhite);
  EXPECT_EQ(pixelAtAngle(img, 0, 30), kWhite);  // inside the 10 px ring
  EXPECT_EQ(img.at(2, 2), kWhite);              // outside the disc
}

TEST(CircleProgress, AtFullShowsAWholeForegroundRing) {
  const auto img = renderRing(100);
  for (double deg = 0; deg < 360; deg += 30) EXPECT_EQ(pixelAtAngle(img, deg, 45), kBlue) << deg;
  EXPECT_EQ(img.at(50, 50), kWhite);
}

TEST(CircleProgress, FillsClockwiseFromStraightDown) {
  const auto quarter = renderRing(25);
  EXPECT_EQ(pixelAtAngle(quarter, 135, 45), kBlue);  // down-left: inside the first quarter
  EXPECT_EQ(pixelAtAngle(quarter, 45, 45), kRed);    // down-right: not reached
  EXPECT_EQ(pixelAtAngle(quarter, 225, 45), kRed);
  const auto half = renderRing(50);
  EXPECT_EQ(pixelAtAngle(half, 180, 45), kBlue);  // left
  EXPECT_EQ(pixelAtAngle(half, 0, 45), kRed);     // right
}

TEST(ChartPie, NineteenthSliceReusesTheFirstColour) {
  CChartViewUI chart;
  chart.setAttribute("showtext", "false");
  for (int i = 0; i < 19; ++i) chart.addItem("item", 1.0);
  const auto img = ui::renderToImage(chart, 200, 200);
  const double slice = 360.0 / 19;
  EXPECT_EQ(pixelAtAngle(img, 0.5 * slice, 60), 0xFF3F96F5u);   // first slice
  EXPECT_EQ(pixelAtAngle(img, 1.5 * slice, 60), 0xFFFF5A01u);   // second
  EXPECT_EQ(pixelAtAngle(img, 17.5 * slice, 60), 0xFF882612u);  // eighteenth, last colour
  EXPECT_EQ(pixelAtAngle(img, 18.5 * slice, 60), 0xFF3F96F5u);  // nineteenth, first again
}

TEST(ChartPie, LegendShowsSwatchAndNameInTheTextColour) {
  CChartViewUI chart;
  chart.addItem("MMMMMM", 1.0);
  const auto img = ui::renderToImage(chart, 200, 100);
  // One row: legend top (90 - 22) / 2 = 34, left 5 + 90 + 10 = 105.
  EXPECT_EQ(img.at(110, 40), 0xFF3F96F5u);
  int dark = 0;
  for (int y = 34; y < 52; ++y) {
    for (int x = 128; x < 200; ++x) {
      const ui::Color c = img.at(x, y);
      if (ui::redOf(c) < 128 && ui::greenOf(c) < 128 && ui::blueOf(c) < 128) ++dark;
    }
  }
  EXPECT_GT(dark, 10) << "the legend name is not visible";
}

TEST(ChartPie, WithoutItemsOrWithZeroValuesNothingIsDrawn) {
  CChartViewUI empty;
  const auto none = ui::renderToImage(empty, 120, 120);
  CChartViewUI zeros;
  zeros.setAttribute("showtext", "false");
  zeros.addItem("a", 0.0);
  const auto flat = ui::renderToImage(zeros, 120, 120);
  EXPECT_EQ(none.at(60, 60), kWhite);
  EXPECT_NE(flat.at(60, 60), kWhite);  // the shadow disc, but no slice colour
  EXPECT_NE(flat.at(60, 60), 0xFF3F96F5u);
}

class ChartColumns : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("varnacle_chart_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    // One file name per test: the window library caches images by path.
    image_ = (dir_ / (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                      ".png"))
                 .string();
    ui::Window::resetDpiAssets();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void writeGreenImage() {
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(QColor(0, 255, 0));
    ASSERT_TRUE(img.save(QString::fromStdString(image_)));
    ui::Window::resetDpiAssets();
  }

  std::unique_ptr<CChartViewUI> columnChart(int width) {
    auto chart = std::make_unique<CChartViewUI>();
    chart->setAttribute("view", "histpgram");
    chart->setAttribute("showtext", "false");
    chart->setAttribute("pillarimage", image_);
    chart->setAttribute("pillarimagewidth", std::to_string(width));
    chart->addItem("a", 10.0);
    chart->addItem("b", 5.0);
    return chart;
  }

  static int countColor(const ui::Image& img, ui::Color c) {
    return static_cast<int>(std::count(img.pixels.begin(), img.pixels.end(), c));
  }

  fs::path dir_;
  std::string image_;
};

TEST_F(ChartColumns, ColumnsStandWhereTheLayoutPutsThem) {
  writeGreenImage();
  auto chart = columnChart(10);
  const auto img = ui::renderToImage(*chart, 100, 100);
  // gap 2 * (100 / 10) = 20: the first column spans x 20..29 at full height, the
  // second x 50..59 at half height.
  EXPECT_EQ(img.at(25, 10), kGreen);
  EXPECT_EQ(img.at(55, 75), kGreen);
  EXPECT_NE(img.at(55, 25), kGreen);
  EXPECT_NE(img.at(40, 75), kGreen);
  EXPECT_EQ(chart->pillarImage(), image_);
}

TEST_F(ChartColumns, ImageThatCannotBeDrawnIsClearedAndNotTriedAgain) {
  auto chart = columnChart(10);
  const auto first = ui::renderToImage(*chart, 100, 100);
  EXPECT_EQ(countColor(first, kGreen), 0);
  EXPECT_EQ(chart->pillarImage(), "");

  // The image exists now, but the chart has given it up.
  writeGreenImage();
  const auto second = ui::renderToImage(*chart, 100, 100);
  EXPECT_EQ(countColor(second, kGreen), 0);
  // A chart that never failed does draw it, so the file itself is fine.
  EXPECT_GT(countColor(ui::renderToImage(*columnChart(10), 100, 100), kGreen), 0);
}

TEST_F(ChartColumns, ZeroColumnWidthDrawsNoColumnsAndDoesNotFail) {
  writeGreenImage();
  auto chart = columnChart(0);
  chart->setAttribute("showtext", "true");
  const auto img = ui::renderToImage(*chart, 100, 100);
  EXPECT_EQ(countColor(img, kGreen), 0);
  EXPECT_EQ(chart->pillarImage(), image_);  // nothing failed, nothing forgotten
}

TEST_F(ChartColumns, ShadowImageIsStretchedOverTheBaseBand) {
  writeGreenImage();
  auto chart = columnChart(10);
  chart->setAttribute("pillarimage", "");
  chart->setAttribute("shadowimage", image_);
  chart->setAttribute("shadowimageheight", "8");
  const auto img = ui::renderToImage(*chart, 100, 100);
  EXPECT_EQ(img.at(5, 95), kGreen);
  EXPECT_NE(img.at(5, 88), kGreen);
  EXPECT_EQ(countColor(img, kGreen), 100 * 8);
}

TEST(CustomControls, LayoutsNameThemByTheirRegisteredClasses) {
  test::HostWindow host;
  ASSERT_TRUE(host.create(nullptr, "host"));
  auto* ring = host.findControl<CCircleProgressUI>("ring");
  auto* chart = host.findControl<CChartViewUI>("chart");
  auto* wnd = host.findControl<CWndUI>("host");
  ASSERT_NE(ring, nullptr);
  ASSERT_NE(chart, nullptr);
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(ring->className(), "CircleProgress");
  EXPECT_EQ(ring->value(), 25);
  EXPECT_EQ(ring->foreColor(), kBlue);
  EXPECT_EQ(wnd->className(), "Wnd");
  EXPECT_EQ(chart->view(), CChartViewUI::View::Columns);
  EXPECT_EQ(chart->pillarImage(), "ms/none.png");
  EXPECT_EQ(chart->pillarImageWidth(), 12);
  EXPECT_EQ(chart->shadowImage(), "ms/shadow.png");
  EXPECT_EQ(chart->shadowImageHeight(), 7);
  EXPECT_FALSE(chart->showText());
  EXPECT_TRUE(chart->showHtml());
  EXPECT_EQ(chart->fontIndex(), 1);
  // Other view names change nothing.
  chart->setAttribute("view", "bars");
  EXPECT_EQ(chart->view(), CChartViewUI::View::Columns);
  chart->setAttribute("view", "pie");
  EXPECT_EQ(chart->view(), CChartViewUI::View::Pie);
  host.destroy();
}

TEST(WndUI, HostedWidgetFollowsTheControl) {
  test::HostWindow host;
  ASSERT_TRUE(host.create(nullptr, "host"));
  host.show();
  auto* wnd = host.findControl<CWndUI>("host");
  ASSERT_NE(wnd, nullptr);
  QPointer<QWidget> widget = new QWidget;
  widget->setAutoFillBackground(true);
  QPalette pal = widget->palette();
  pal.setColor(QPalette::Window, QColor(0, 255, 0));
  widget->setPalette(pal);
  ASSERT_TRUE(wnd->attachWindow(hostWidget(widget)));
  ui::Application::instance()->processEvents(50);

  const ui::Rect r = wnd->rect();
  ASSERT_FALSE(r.empty());
  EXPECT_TRUE(widget->isVisible());
  EXPECT_EQ(widget->size(), QSize(r.width(), r.height()));
  EXPECT_EQ(ui::renderToImage(host).at((r.left + r.right) / 2, (r.top + r.bottom) / 2), kGreen);

  wnd->setVisible(false);
  ui::Application::instance()->processEvents(50);
  EXPECT_FALSE(widget->isVisible());

  wnd->setVisible(true);
  wnd->setFixedHeight(90);
  ui::Application::instance()->processEvents(50);
  EXPECT_TRUE(widget->isVisible());
  EXPECT_EQ(widget->height(), wnd->rect().height());
  EXPECT_EQ(wnd->rect().height(), 90);

  // Detached, the widget is the caller's again: no parent, hidden, alive.
  auto hosted = wnd->detachWindow();
  ASSERT_NE(hosted, nullptr);
  EXPECT_EQ(wnd->hostedWindow(), nullptr);
  ASSERT_FALSE(widget.isNull());
  EXPECT_EQ(widget->parentWidget(), nullptr);
  EXPECT_FALSE(widget->isVisible());
  hosted.reset();
  EXPECT_TRUE(widget.isNull());
  host.destroy();
}

TEST(WndUI, WindowGoingAwayWithAHostedWidgetIsSafe) {
  QPointer<QWidget> widget = new QWidget;
  {
    test::HostWindow host;
    ASSERT_TRUE(host.create(nullptr, "host"));
    auto* wnd = host.findControl<CWndUI>("host");
    ASSERT_NE(wnd, nullptr);
    ASSERT_TRUE(wnd->attachWindow(hostWidget(widget)));
    host.destroy();
  }
  ui::Application::instance()->processEvents(10);
  EXPECT_TRUE(widget.isNull());  // deleted once, with its control
}

}  // namespace
}  // namespace varnacle::app
