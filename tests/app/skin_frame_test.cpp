// The background chooser on the real window library (offscreen), with the real
// skin and its generated art, a stand-in main window and a temporary Documents
// folder: what each choice shows, what is remembered for the next start, where
// the popup opens and when it goes away.
#include "app/skin_frame.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "../profile/test_documents.h"
#include "app/skin_apply.h"
#include "app/skin_observer.h"
#include "profile/ini_store.h"
#include "profile/paths.h"
#include "ui/application.h"
#include "ui/control.h"
#include "ui/dispatcher.h"
#include "ui/file_dialog.h"
#include "ui/image.h"
#include "ui/language.h"

namespace varnacle::app {
namespace {

namespace fs = std::filesystem;

void pump(int ms = 0) {
  ui::Application::instance()->processEvents(ms);
}

template <class F>
bool pumpUntil(F done, int timeoutMs = 3000) {
  for (int waited = 0; !done() && waited < timeoutMs; waited += 5) pump(5);
  return done();
}

// The main window's part in this: a receiver that shows each change on its
// "root", with the "skinbtn" that opens the chooser.
class HostWindow : public ui::Window, public ReceiverImpl {
 public:
  std::string layoutName() const override { return VARNACLE_APP_TEST_DATA "/skin_host.xml"; }
  std::string windowClassName() const override { return "SkinTestHost"; }
  void initWindow() override { ObserverImpl::instance().addReceiver(*this); }
  bool receive(const SkinChangedParam& param) override {
    received.push_back(param);
    applySkin(*this, param);
    return true;
  }
  ui::Control& rootControl() { return *findControl("root"); }
  ui::Control& anchor() { return *findControl("skinbtn"); }

  std::vector<SkinChangedParam> received;
};

// The layout's own background of the host.
constexpr ui::Color kLayoutColour = 0xFF161B22;
constexpr std::string_view kLayoutImage = "common/background.png";
constexpr ui::Rect kHostPlace{100, 80, 500, 380};

class SkinFrameTest : public varnacle::testing::TestDocuments {
 protected:
  void TearDown() override {
    if (ui::Window* frame = ui::Window::fromId(frameId_)) frame->close();
    pump();
    TestDocuments::TearDown();
  }

  // A started main window: created, placed, shown, and given the remembered
  // background as the start-up does.
  std::unique_ptr<HostWindow> startHost() {
    auto host = std::make_unique<HostWindow>();
    EXPECT_TRUE(host->create(nullptr, "host", {ui::kStyleVisible, 0}));
    host->move(kHostPlace);
    applyStoredSkin(*host);
    pump();
    return host;
  }

  ui::Window& openFrame(HostWindow& host) {
    frameId_ = CSkinFrame::open(host, host.anchor());
    EXPECT_NE(frameId_, 0u);
    pump();
    ui::Window* frame = ui::Window::fromId(frameId_);
    EXPECT_NE(frame, nullptr);
    return *frame;
  }
  bool frameOpen() const { return ui::Window::fromId(frameId_) != nullptr; }

  static ui::Control& control(ui::Window& frame, std::string_view name, int index = 0) {
    const std::vector<ui::Control*> found = frame.findControls(name);
    if (index >= static_cast<int>(found.size())) {
      ADD_FAILURE() << "no " << name << " #" << index;
      throw std::runtime_error("missing control");
    }
    return *found[static_cast<std::size_t>(index)];
  }
  static void click(ui::Window& frame, std::string_view name, int index = 0) {
    auto* button = dynamic_cast<ui::Button*>(&control(frame, name, index));
    ASSERT_NE(button, nullptr) << name;
    button->activate();
  }

  fs::path mainIni() const { return documents() / "GRIMWOLF Q650" / "main.ini"; }
  std::string stored(std::string_view key) const {
    return profile::readIniString(mainIni(), kSkinSection, key, "<none>");
  }

  static ui::Color centrePixel(HostWindow& host) {
    const ui::Image shot = ui::renderToImage(host);
    return shot.at(shot.width / 2, shot.height * 3 / 4);
  }

  // A one-colour PNG of the user's own.
  fs::path writePng(const std::string& name, QRgb colour) const {
    const fs::path file = root() / name;
    QImage image(64, 48, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(colour));
    EXPECT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
    return file;
  }

  ui::WindowId frameId_ = 0;
};

TEST_F(SkinFrameTest, OfferedImageIsShownAndShownAgainAfterARestart) {
  auto host = startHost();
  ui::Window& frame = openFrame(*host);

  // Several buttons share the name; each offers its own image.
  const std::vector<ui::Control*> offered = frame.findControls("skin_image_btn");
  ASSERT_GE(offered.size(), 4u);
  std::set<std::string> images;
  for (ui::Control* button : offered) images.insert(button->bkImage());
  EXPECT_EQ(images.size(), offered.size());

  const std::string chosen = offered[2]->bkImage();
  click(frame, "skin_image_btn", 2);
  ASSERT_EQ(host->received.size(), 1u);
  EXPECT_EQ(host->received[0], (SkinChangedParam{false, 0, chosen}));
  EXPECT_EQ(host->rootControl().bkImage(), chosen);
  EXPECT_EQ(host->rootControl().bkColor(), 0u);
  EXPECT_EQ(stored(kSkinFlagsKey), "1");
  EXPECT_EQ(stored(kSkinImageKey), chosen);
  EXPECT_TRUE(frameOpen());  // choosing does not close the popup

  // A later choice replaces the remembered one.
  const std::string later = offered[0]->bkImage();
  click(frame, "skin_image_btn", 0);
  EXPECT_EQ(stored(kSkinImageKey), later);

  host.reset();
  auto restarted = startHost();
  EXPECT_EQ(restarted->rootControl().bkImage(), later);
  EXPECT_EQ(restarted->rootControl().bkColor(), 0u);
}

TEST_F(SkinFrameTest, ColourIsShownButNeverRemembered) {
  {
    // Without any remembered image the next start keeps the layout's own background.
    auto host = startHost();
    ui::Window& frame = openFrame(*host);
    ui::Control& swatch = control(frame, "skin_color_btn", 3);
    click(frame, "skin_color_btn", 3);
    EXPECT_EQ(host->rootControl().bkColor(), swatch.bkColor());
    EXPECT_EQ(host->rootControl().bkImage(), "");
    EXPECT_EQ(centrePixel(*host), swatch.bkColor());
    EXPECT_FALSE(fs::exists(mainIni()));
  }
  auto plain = startHost();
  EXPECT_EQ(plain->rootControl().bkImage(), kLayoutImage);
  EXPECT_EQ(plain->rootControl().bkColor(), kLayoutColour);

  // After an offered image, a colour leaves that image remembered.
  ui::Window& frame = openFrame(*plain);
  const std::string image = control(frame, "skin_image_btn", 1).bkImage();
  click(frame, "skin_image_btn", 1);
  click(frame, "skin_color_btn", 0);
  EXPECT_EQ(plain->rootControl().bkImage(), "");
  EXPECT_EQ(stored(kSkinFlagsKey), "1");
  EXPECT_EQ(stored(kSkinImageKey), image);
  plain.reset();
  EXPECT_EQ(startHost()->rootControl().bkImage(), image);
}

TEST_F(SkinFrameTest, ResetShowsTheDefaultAndTheNextStartKeepsTheLayoutsBackground) {
  auto host = startHost();
  ui::Window& frame = openFrame(*host);
  click(frame, "skin_image_btn", 4);
  click(frame, "skin_reset");
  EXPECT_EQ(host->received.back(), (SkinChangedParam{false, 0, std::string(kDefaultSkinImage)}));
  EXPECT_EQ(host->rootControl().bkImage(), kDefaultSkinImage);
  EXPECT_EQ(stored(kSkinFlagsKey), "0");
  EXPECT_EQ(stored(kSkinImageKey), kDefaultSkinImage);

  host.reset();
  auto restarted = startHost();
  EXPECT_FALSE(applyStoredSkin(*restarted));
  EXPECT_EQ(restarted->rootControl().bkImage(), kLayoutImage);
  EXPECT_EQ(restarted->rootControl().bkColor(), kLayoutColour);
}

TEST_F(SkinFrameTest, NamesAreComparedWithoutRegardToCase) {
  auto host = startHost();
  ui::Window& frame = openFrame(*host);
  control(frame, "skin_reset").setName("SKIN_RESET");
  click(frame, "SKIN_RESET");
  EXPECT_EQ(stored(kSkinFlagsKey), "0");
}

TEST_F(SkinFrameTest, PageButtonsTurnThePages) {
  auto host = startHost();
  ui::Window& frame = openFrame(*host);
  auto* tab = frame.findControl<ui::TabLayout>("skin_tab");
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->currentIndex(), 0);
  click(frame, "skin_color");
  EXPECT_EQ(tab->currentIndex(), 1);
  click(frame, "skin_image");
  EXPECT_EQ(tab->currentIndex(), 0);
  EXPECT_TRUE(host->received.empty());
  EXPECT_FALSE(fs::exists(mainIni()));
}

TEST_F(SkinFrameTest, CustomPictureIsShownForThisRunOnly) {
  auto host = startHost();
  const fs::path picture = writePng("my picture.png", 0xFF3366AA);
  ui::ScriptedFileDialogs dialogs;
  ui::ScopedFileDialogs scope(dialogs);
  dialogs.answer(picture.string());

  click(openFrame(*host), "skin_Custom");
  ASSERT_EQ(dialogs.requests().size(), 1u);
  const ui::FileDialogRequest& request = dialogs.requests()[0];
  EXPECT_FALSE(request.save);
  EXPECT_EQ(request.defaultExtension, "png");
  EXPECT_EQ(request.initialName, "*.png");
  EXPECT_EQ(request.filter, "(*.png) | *.png |(*.*)|*.*||");
  EXPECT_EQ(request.flags, ui::kFileHideReadOnly | ui::kFileOverwritePrompt);

  EXPECT_EQ(host->rootControl().bkImage(), picture.string());
  EXPECT_EQ(centrePixel(*host), 0xFF3366AAu);  // the file itself is drawn
  EXPECT_FALSE(fs::exists(mainIni()));
  EXPECT_FALSE(frameOpen());  // the dialog took the focus from the popup

  host.reset();
  EXPECT_EQ(startHost()->rootControl().bkImage(), kLayoutImage);
}

TEST_F(SkinFrameTest, CustomPictureNameMayLookLikeAnImageDescription) {
  // Quotes and equals signs are ordinary characters of a file name.
  auto host = startHost();
  const fs::path picture = writePng("bob's file='x'.png", 0xFF22AA66);
  ui::ScriptedFileDialogs dialogs;
  ui::ScopedFileDialogs scope(dialogs);
  dialogs.answer(picture.string());
  click(openFrame(*host), "skin_Custom");
  EXPECT_EQ(host->rootControl().bkImage(), picture.string());
  EXPECT_EQ(centrePixel(*host), 0xFF22AA66u);
}

TEST_F(SkinFrameTest, CancelledCustomPictureChangesNothing) {
  auto host = startHost();
  ui::ScriptedFileDialogs dialogs;
  ui::ScopedFileDialogs scope(dialogs);
  dialogs.cancel();
  click(openFrame(*host), "skin_Custom");
  EXPECT_EQ(dialogs.requests().size(), 1u);
  EXPECT_TRUE(host->received.empty());
  EXPECT_EQ(host->rootControl().bkImage(), kLayoutImage);
  EXPECT_FALSE(fs::exists(mainIni()));
}

TEST_F(SkinFrameTest, OpensUnderTheAnchorWithTheLayoutsSize) {
  auto host = startHost();
  const ui::Rect anchor = host->anchor().rect();
  ASSERT_FALSE(anchor.empty());
  ui::Window& frame = openFrame(*host);
  const ui::Rect placed = frame.geometry();
  EXPECT_EQ(placed.width(), 306);  // skin.xml's size
  EXPECT_EQ(placed.height(), 228);
  EXPECT_EQ(placed.right, kHostPlace.left + anchor.right);
  EXPECT_EQ(placed.top, kHostPlace.top + anchor.bottom);
  EXPECT_EQ(frame.windowClassName(), "UISkinFrame");
  EXPECT_TRUE(frame.isVisible());

  // Each click opens a new popup; at double scaling it is twice as large.
  frame.close();
  host->setDpi(192);
  const ui::Rect scaledAnchor = host->anchor().rect();
  const ui::Rect scaled = openFrame(*host).geometry();
  EXPECT_EQ(scaled.width(), 612);
  EXPECT_EQ(scaled.right, kHostPlace.left + scaledAnchor.right);
  EXPECT_EQ(scaled.top, kHostPlace.top + scaledAnchor.bottom);
}

TEST_F(SkinFrameTest, LosingTheFocusClosesThePopupWithoutAChange) {
  auto host = startHost();
  const ui::Rect placed = openFrame(*host).geometry();
  // The popup holds the focus once shown (a window that cannot take the focus
  // could never lose it), as a tool window above the others.
  const QWindow* focus = QGuiApplication::focusWindow();
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(focus->geometry(), QRect(placed.left, placed.top, placed.width(), placed.height()));
  EXPECT_FALSE(focus->flags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_TRUE(focus->flags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(focus->flags() & Qt::Tool, Qt::Tool);
  // Becoming active keeps it; being deactivated (another window took the
  // focus) closes and frees it.
  ASSERT_TRUE(ui::sendMessage(frameId_, ui::kMsgActivate, 1));
  pump();
  EXPECT_TRUE(frameOpen());
  host->bringToFront();
  EXPECT_TRUE(pumpUntil([&] { return !frameOpen(); }));
  EXPECT_TRUE(host->received.empty());
  EXPECT_EQ(host->rootControl().bkImage(), kLayoutImage);
  EXPECT_FALSE(fs::exists(mainIni()));
}

TEST(SkinArt, TheChoosersImagesAndTheDefaultBackgroundAreInTheSkin) {
  const ui::Application& app = *ui::Application::instance();
  const QImage background(QString::fromStdString(app.resolve(kDefaultSkinImage)));
  EXPECT_EQ(background.size(), QSize(800, 572));
  HostWindow host;
  ASSERT_TRUE(host.create(nullptr, "host"));
  auto frameId = CSkinFrame::open(host, host.anchor());
  ui::Window* frame = ui::Window::fromId(frameId);
  ASSERT_NE(frame, nullptr);
  for (ui::Control* button : frame->findControls("skin_image_btn")) {
    const QImage image(QString::fromStdString(app.resolve(button->bkImage())));
    EXPECT_EQ(image.size(), QSize(800, 572)) << button->bkImage();
  }
  frame->close();
}

}  // namespace
}  // namespace varnacle::app
