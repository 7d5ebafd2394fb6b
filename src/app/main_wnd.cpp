#include "app/main_wnd.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "app/circle_progress.h"
#include "app/msg_wnd.h"
#include "app/skin_apply.h"
#include "app/skin_frame.h"
#include "device/session_connect.h"
#include "mouse/cursor_sequences.h"
#include "mouse/mouse_lighting_profile.h"
#include "pages/page_messages.h"
#include "platform/debug_output.h"
#include "profile/ansi_text.h"
#include "profile/ini_store.h"
#include "profile/paths.h"
#include "ui/application.h"
#include "ui/builder.h"
#include "ui/dispatcher.h"
#include "ui/language.h"
#include "ui/painter.h"

namespace varnacle::app {

namespace msg = pages::msg;

namespace {

using platform::debugOutput;
using platform::WorkerSlot;

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string hexLine(const char* format, unsigned a, unsigned long b, long c) {
  char buf[96];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

// Page classes of the main layout and their layout files.
struct PageLayout {
  std::string_view className;
  std::string_view file;
};
constexpr PageLayout kPageLayouts[] = {
    {"kb_Key_UI", "keyboard_key.xml"},  {"kb_Deng_UI", "keyboard_deng.xml"},
    {"kb_Macro_UI", "keyboard_macro.xml"}, {"MS_Deng_UI", "Mouse_deng.xml"},
    {"MS_Macro_UI", "Mouse_macro.xml"}, {"MS_Key_UI", "Mouse_key.xml"},
    {"MP_deng_UI", "MousePad_deng.xml"}, {"MS_DPI_UI", "Mouse_DPI.xml"},
    {"MS_CURSOR_UI", "Mouse_cursor.xml"},
};

// The tab of each device, by DeviceKind.
constexpr std::array<std::string_view, 3> kDeviceTabs = {"kb_tab", "ms_tab", "mp_tab"};

// The palettes that start with the accent colour.
constexpr std::string_view kStartPalettes[] = {"Pallet", "ms_deng_Color_Pallet",
                                               "mp_deng_Color_Pallet", "kb_deng_Color_Pallet"};

// The lighting key controls the previews tint: name stem and count.
struct LightKeys {
  std::string_view stem;
  int count;
};
constexpr LightKeys kLightKeys[] = {{"ms_dkey_", 20}, {"mp_dkey_", 15}, {"kb_dkey_", 126}};

// Tool tips of the title-bar buttons, by text id (the window library shows
// tool tips as they are, so they are resolved here and again on a language switch).
struct TitleTip {
  std::string_view control;
  std::string_view textId;
};
constexpr TitleTip kTitleTips[] = {{"skinbtn", "main_skin_tip"},
                                   {"minbtn", "main_min_tip"},
                                   {"maxbtn", "main_max_tip"},
                                   {"restorebtn", "main_restore_tip"},
                                   {"closebtn", "main_close_tip"}};

// Presence slots by DeviceKind.
constexpr std::array<WorkerSlot, 3> kPresenceSlots = {
    WorkerSlot::keyboardPresence, WorkerSlot::mousePresence, WorkerSlot::mousePadPresence};

}  // namespace

CMainWnd::CMainWnd(device::HidBackend& backend, MainTiming timing)
    : backend_(backend), timing_(timing) {
  for (auto& s : sessions_) s = std::make_unique<device::DeviceSession>(backend_);
  addVirtualWindow("mainpage", [](const ui::Notification&) {});
}

CMainWnd::~CMainWnd() {
  if (trayMenu_) trayMenu_->close();
  removeVirtualWindow("mainpage");
}

void CMainWnd::addPage(std::unique_ptr<pages::Page> page) { pages_.push_back(std::move(page)); }

pages::PageContext CMainWnd::pageContext() {
  return pages::PageContext{*this,
                         {sessions_[0].get(), sessions_[1].get(), sessions_[2].get()},
                         liveLighting_,
                         ticks_,
                         slots_,
                         mouseTrigger_,
                         deviceHook_,
                         previewGates_};
}

void CMainWnd::forEachPage(const std::function<void(pages::Page&)>& f) {
  for (auto& p : pages_) f(*p);
}

bool CMainWnd::anyOnline() const {
  return std::any_of(sessions_.begin(), sessions_.end(), [](const auto& s) { return s->online.load(); });
}

std::unique_ptr<ui::Control> CMainWnd::createControl(std::string_view className) {
  for (const PageLayout& page : kPageLayouts)
    if (equalsNoCase(className, page.className)) return ui::buildLayout(page.file, *this);
  if (equalsNoCase(className, "CircleProgress")) return std::make_unique<CCircleProgressUI>();
  return nullptr;
}

void CMainWnd::initWindow() {
  debugOutput("InitWindow");
  // The layout is built by now: its resource texts were resolved against
  // whatever was loaded before, so useLanguage() resolves them again.
  useLanguage(false);
  ObserverImpl::instance().addReceiver(*this);

  for (const LightKeys& keys : kLightKeys)
    for (int i = 0; i < keys.count; ++i)
      if (ui::Control* c = findControl(std::string(keys.stem) + std::to_string(i))) {
        c->setIsChangerColor(true);
        c->setChangerAlpha(0);
      }
  for (std::string_view name : kStartPalettes)
    if (auto* p = findControl<ui::ColorPalette>(name)) p->setSelectColor(kPaletteStartColor);

  tray_.create(*this, "common/icon.png", kTrayTip);
}

void CMainWnd::applyTitleTips() {
  for (const TitleTip& tip : kTitleTips)
    if (ui::Control* c = findControl(tip.control)) c->setToolTip(ui::languageText(tip.textId));
}

void CMainWnd::startUp() {
  applyStoredSkin(*this);
  forEachPage([](pages::Page& p) { p.startUp(); });
  for (DeviceKind kind : kAllDeviceKinds) {
    device::assignIdentity(session(kind), kind);
    session(kind).online = false;
  }
  hide();
  startWorkers();
}

device::PresenceHooks CMainWnd::presenceHooks(DeviceKind kind) {
  const ui::WindowId self = id();
  device::PresenceHooks hooks;
  hooks.arrived = [this, self, kind] {
    if (kind == DeviceKind::mouse) return mouseArrived();
    ui::post([self, kind] {
      if (auto* w = dynamic_cast<CMainWnd*>(ui::Window::fromId(self))) w->showDevice(kind);
    });
  };
  hooks.departed = [self, kind] {
    ui::post([self, kind] {
      if (auto* w = dynamic_cast<CMainWnd*>(ui::Window::fromId(self))) w->hideDevice(kind);
    });
  };
  if (kind == DeviceKind::mouse) {
    hooks.present = [this, self] {
      const int shown = session(DeviceKind::keyboard).online || session(DeviceKind::mousePad).online;
      if (sameModeShown_.exchange(shown) == shown) return;
      ui::post([self, shown] {
        if (auto* w = ui::Window::fromId(self))
          if (auto* c = w->findControl("ms_deng_same_mode")) c->setVisible(shown != 0);
      });
    };
  }
  hooks.accessDenied = [this, self] {
    accessDeniedTold_ = true;
    ui::post([self] {
      if (auto* w = dynamic_cast<CMainWnd*>(ui::Window::fromId(self))) w->showAccessDenied();
    });
  };
  // The window comes up once at start, for whichever device is found first.
  // The last first pass to end knows whether any found one.
  hooks.firstPass = [this, self](bool online) {
    if (online && !startWakePosted_.exchange(true)) ui::postMessage(self, msg::kWake);
    if (++firstPasses_ == int(kPresenceSlots.size()) && !startWakePosted_.exchange(true)) {
      ui::post([self] {
        if (auto* w = dynamic_cast<CMainWnd*>(ui::Window::fromId(self))) w->startedWithoutDevice();
      });
    }
  };
  return hooks;
}

// The mouse's arrival: every step, in order, listed here and nowhere else.
// Presence thread, with the mouse session's lock held for the whole pass (it
// is re-entrant for the steps' own commands); what changes the window is
// posted to the UI thread, in order, and carried out there.
void CMainWnd::mouseArrived() {
  device::DeviceSession& mouse = session(DeviceKind::mouse);
  // 1. The saved lighting profile ("PROFILEDENGSELECT" of "msProfile.ini")
  //    becomes the working record, with the pointer speed and wheel lines
  //    that only the profile keeps.
  mouse::loadMouseLightingProfile(liveLighting_);
  // 2. The pages read the mouse: the DPI page reads all its settings.
  for (auto& p : pages_) p->deviceArrived(DeviceKind::mouse, mouse);
  // 3. The fire-key sequences come back from the mouse into their files.
  mouse::readBackCursorSequences(mouse);
  // 4. UI thread: the pages show what was read, the mouse tab is shown and
  //    selected, one repaint follows.
  ui::post([self = id()] {
    if (auto* w = dynamic_cast<CMainWnd*>(ui::Window::fromId(self)))
      w->showDevice(DeviceKind::mouse);
  });
}

void CMainWnd::startWorkers() {
  for (DeviceKind kind : {DeviceKind::mouse, DeviceKind::keyboard, DeviceKind::mousePad}) {
    auto watcher = std::make_unique<device::PresenceWatcher>(session(kind), presenceHooks(kind));
    watcher->presentPeriod =
        kind == DeviceKind::mouse ? timing_.presencePresent : timing_.keyboardAndPadPresent;
    watcher->absentPeriod = timing_.presenceAbsent;
    presence_[index(kind)] = std::move(watcher);
  }
  const ui::WindowId self = id();
  mouseListener_ = std::make_unique<device::NotificationListener>(
      backend_, device::kMouseListener, [this, self](uint16_t usage) {
        switch (usage) {
          case 0x0401: ui::sendMessage(self, msg::kMouseReloadActive); break;
          case 0x0402: ui::sendMessage(self, msg::kMouseReadAll); break;
          case 0x0403: mouseTrigger_ = true; break;
          default: break;
        }
      });
  keyboardListener_ = std::make_unique<device::NotificationListener>(
      backend_, device::kKeyboardListener, [self](uint16_t usage) {
        switch (usage) {
          case 0x0401: ui::sendMessage(self, msg::kKeyboardReloadRecord); break;
          case 0x0402: ui::sendMessage(self, msg::kKeyboardReadAll); break;
          default: break;
        }
      });
  for (auto* l : {mouseListener_.get(), keyboardListener_.get()}) {
    l->scanPeriod = timing_.listenerScan;
    l->readTimeoutMs = timing_.listenerReadMs;
  }

  auto startPresence = [this](DeviceKind kind) {
    const WorkerSlot slot = kPresenceSlots[index(kind)];
    slots_.start(slot, [w = presence_[index(kind)].get(), slot](platform::Event& stop) { w->run(slot, stop); });
  };
  startPresence(DeviceKind::mouse);
  slots_.start(WorkerSlot::mouseListener, [l = mouseListener_.get()](platform::Event& stop) {
    l->run(WorkerSlot::mouseListener, stop);
  });
  slots_.start(WorkerSlot::keyboardListener, [l = keyboardListener_.get()](platform::Event& stop) {
    l->run(WorkerSlot::keyboardListener, stop);
  });
  forEachPage([](pages::Page& p) { p.startWorkers(); });
  updatePreviewGates();
  setTimer(kTimerLivePush, timing_.livePushMs);
  startPresence(DeviceKind::keyboard);
  startPresence(DeviceKind::mousePad);
}

void CMainWnd::showDevice(DeviceKind kind) {
  forEachPage([kind](pages::Page& p) { p.deviceShown(kind); });
  if (kind == DeviceKind::keyboard) sendMessage(msg::kKeyboardReadAll);
  if (kind == DeviceKind::mousePad) sendMessage(msg::kPadReadAll);
  if (auto* tab = findControl(kDeviceTabs[index(kind)])) tab->setVisible(true);
  // The mouse's pages come to the front when it arrives; another device's
  // only when no device's pages are showing yet.
  const bool otherShowing = std::any_of(kDeviceTabs.begin(), kDeviceTabs.end(), [&](std::string_view name) {
    auto* tab = findControl<ui::Option>(name);
    return name != kDeviceTabs[index(kind)] && tab && tab->isVisible() && tab->isSelected();
  });
  if (kind == DeviceKind::mouse || !otherShowing) selectTab(kDeviceTabs[index(kind)]);
  if (kind == DeviceKind::mouse) setTimer(kTimerRepaint, 100);
}

void CMainWnd::hideDevice(DeviceKind kind) {
  if (auto* tab = findControl(kDeviceTabs[index(kind)])) tab->setVisible(false);
  forEachPage([kind](pages::Page& p) { p.deviceGone(kind); });
  for (DeviceKind other : {DeviceKind::keyboard, DeviceKind::mousePad, DeviceKind::mouse}) {
    if (other != kind && session(other).online) {
      selectTab(kDeviceTabs[index(other)]);
      return;
    }
  }
  hide();
}

void CMainWnd::selectTab(std::string_view tabName) {
  if (auto* tab = findControl<ui::Option>(tabName)) tab->setSelected(true);
}

void CMainWnd::followTabBinding(const ui::Notification& n) {
  auto* option = dynamic_cast<ui::Option*>(n.sender);
  if (!option || !option->isSelected()) return;
  const std::string layout = option->attribute("bindtablayout");
  if (layout.empty()) return;
  if (auto* tabs = findControl<ui::TabLayout>(layout))
    tabs->selectItem(std::atoi(option->attribute("bindtabindex").c_str()));
  updatePreviewGates();
}

void CMainWnd::notify(const ui::Notification& n) {
  const std::string senderName = n.sender ? n.sender->name() : std::string();
  debugOutput(n.type + " " + senderName);
  if (n.type == ui::notify::kWindowInit) {
    startUp();
  } else if (n.type == ui::notify::kClick) {
    if (equalsNoCase(senderName, "closebtn")) {
      destroy();
      return;
    }
    if (senderName == "minbtn") return minimize();
    if (senderName == "maxbtn") return maximize();
    if (senderName == "restorebtn") return restore();
    if (senderName == "skinbtn" && n.sender) CSkinFrame::open(*this, *n.sender);
    forEachPage([&](pages::Page& p) { p.notify(n); });
  } else if (n.type == ui::notify::kSelectChanged) {
    releaseCaptureOnTabSwitch(n);
    followTabBinding(n);
    forEachPage([&](pages::Page& p) { p.notify(n); });
  } else if (n.type != "windowsize") {
    forEachPage([&](pages::Page& p) { p.notify(n); });
  }
  ui::Window::notify(n);
}

void CMainWnd::showNoDevice(bool& guard) {
  hide();
  if (guard) return;
  guard = true;
  showMessage(this, "message_text_1", true);
  guard = false;
}

// Behind a tray icon the window waits there for a device. Without a tray
// nothing would show that the program runs at all, so it comes up as a second
// start brings it up: with a device found since, or with "message_text_1".
// The user already told that a device cannot be opened needs no second box.
void CMainWnd::startedWithoutDevice() {
  if (ui::TrayIcon::available() || accessDeniedTold_) return;
  debugOutput("no tray icon can be shown: the window comes up at start");
  bringUp();
}

void CMainWnd::showAccessDenied() {
  if (accessMessageShown_) return;
  accessMessageShown_ = true;
  debugOutput("a device is present but may not be opened");
  showMessage(this, "message_text_19", true);
}

void CMainWnd::bringUp() {
  if (!anyOnline()) return showNoDevice(wakeGuard_);
  show();
  restore();
  bringToFront();
}

void CMainWnd::trayClick(std::intptr_t mouseMessage) {
  if (mouseMessage == ui::kTrayLeftButtonUp) {
    if (!anyOnline()) return showNoDevice(trayGuard_);
    show();
    restore();
    bringToFront();
    invalidate();
    relayout();
    setTimer(kTimerRepaint, 10);
  } else if (mouseMessage == ui::kTrayRightButtonUp) {
    ui::Point at = ui::cursorPosition();
    at.y -= 50;
    if (trayMenu_) trayMenu_->close();
    trayMenu_ = std::make_unique<ui::Menu>(*this, "menu.xml");
    trayMenu_->insertItem(0, ui::MenuItem{.name = "exit", .text = "EXIT", .userData = {}, .checked = false});
    trayMenu_->popup(at, ui::kAlignLeft | ui::kAlignTop);
  }
}

void CMainWnd::toggleLanguage() {
  useLanguage(!chinese_);
}

void CMainWnd::useLanguage(bool chinese) {
  // A file that cannot be read leaves the language, and every text, as it was.
  if (!ui::loadLanguage(chinese ? "lan_cn.xml" : "lan_en.xml")) return;
  ui::setCurrentLanguageName(chinese ? "cn_zh" : "en");
  chinese_ = chinese;
  // Settings files without a byte-order mark are read in the code page of
  // the language the user runs the program in.
  profile::setAnsiFallbackChinese(chinese);
  ui::Window::reloadText();
  applyTitleTips();
  forEachPage([](pages::Page& p) { p.languageChanged(); });
  invalidate();
  relayout();
}

void CMainWnd::menuCommand(const ui::MenuCommand* command) {
  if (!command) return;
  const ui::MenuCommand chosen = *command;
  if (equalsNoCase(chosen.name, "lan")) return toggleLanguage();
  if (chosen.name == "qianting" || chosen.name == "Menu_Import" || chosen.name == "Menu_Export")
    return;
  if (chosen.name == "exit") return close(0);
  showMessage(this, chosen.text, true);
}

std::intptr_t CMainWnd::handleMessage(std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam, bool& handled) {
  handled = false;
  switch (message) {
    case ui::kMsgActivate:
      debugOutput(hexLine("%d%lxd%lxd", message, wParam, lParam));
      return 0;
    case msg::kWake:
      debugOutput(hexLine("软件标示 %d，%lxd%lxd", message, wParam, lParam));
      bringUp();
      return 0;
    case ui::kMsgDestroy:
      shutdown();
      handled = true;
      return 0;
    case msg::kMenuCommand:
      menuCommand(ui::menuCommandFrom(wParam));
      handled = true;
      return 0;
    case msg::kTray:
      trayClick(lParam);
      return 0;
    case msg::kProgressShow:
      killTimer(kTimerProgress);
      if (auto* c = findControl("setting_progress")) {
        c->setText(std::string(kProgressText));
        c->setVisible(true);
      }
      break;
    case msg::kProgressDone:
      if (wParam == msg::kProgressFailed) {
        if (auto* c = findControl("setting_progress")) c->setText(std::string(kProgressFailedText));
        setTimer(kTimerProgress, kProgressFailedShownMs);
      } else {
        setTimer(kTimerProgress, kProgressDoneShownMs);
      }
      break;
    case msg::kHookKeySingleKey: debugOutput("WM_HOOK_KEY_SINGLEKEY"); break;
    case msg::kHookKeyKbHitKey: debugOutput("WM_HOOK_KEY_KBHITKEY"); return 0;
    case msg::kHookKeyMacro: debugOutput("WM_HOOK_KEY_MACRO"); break;
    case msg::kHookMouSingleKey: debugOutput("WM_HOOK_MOU_SINGLEKEY"); break;
    case msg::kHookMouHitKey: debugOutput("WM_HOOK_MOU_HitKEY"); return 0;
    case msg::kHookMouMacro: debugOutput("WM_HOOK_MOU_MACRO"); break;
    case msg::kPadTintColor:
      if (auto* c = findControl("mp_dkey_" + std::to_string(wParam)))
        c->setChangerColor(static_cast<ui::Color>(lParam));
      return 0;
    case msg::kPadTintAlpha:
      if (auto* c = findControl("mp_dkey_" + std::to_string(wParam)))
        c->setChangerAlpha(static_cast<int>(lParam));
      return 0;
    case msg::kHookKeyMouseEvent:
    case msg::kHookMouMouseEvent:
    case msg::kMouseReadAll:
    case msg::kMouseReloadActive:
    case msg::kPadReadAll:
    case msg::kPadReloadActive:
    case msg::kKeyboardReadAll:
    case msg::kKeyboardReloadRecord:
    case msg::kKeyboardReadKeyTable:
      break;
    default:
      return 0;
  }
  forEachPage([&](pages::Page& p) { p.deviceMessage(message, wParam, lParam); });
  return 0;
}

void CMainWnd::onTimer(int timerId) {
  switch (timerId) {
    case kTimerProgress:
      killTimer(kTimerProgress);
      if (auto* c = findControl("setting_progress")) c->setVisible(false);
      break;
    case kTimerLivePush:
      liveLighting_.flush({sessions_[0].get(), sessions_[1].get(), sessions_[2].get()});
      break;
    case kTimerRepaint:
      invalidate();
      relayout();
      killTimer(kTimerRepaint);
      debugOutput("1234567890");
      break;
    default:
      break;
  }
}

// A preview runs only while its picture can be seen: the window shown and
// not minimised, its page in front.
void CMainWnd::seenChanged(bool) {
  updatePreviewGates();
}

void CMainWnd::updatePreviewGates() {
  previewGates_.update(isSeen(), [this](std::string_view picture) {
    const ui::Control* c = findControl(picture);
    return c && c->isShownInLayout();
  });
}

bool CMainWnd::receive(const SkinChangedParam& param) {
  applySkin(*this, param);
  return true;
}

// Leaving a page ends its key capture. A recording holds the page (the macro
// page takes the tab back) and keeps its hooks.
void CMainWnd::releaseCaptureOnTabSwitch(const ui::Notification& n) {
  const auto* tab = dynamic_cast<const ui::Option*>(n.sender);
  if (!tab || !tab->isSelected() || deviceHook_.recording()) return;
  const std::string& group = tab->group();
  if (group == "device_tabs" || group.ends_with("_page_tabs")) deviceHook_.remove();
}

void CMainWnd::shutdown() {
  deviceHook_.remove();
  tray_.remove();
  debugOutput("退出测试");
  hide();
  // Listeners waiting in a send give up now instead of holding the exit;
  // previews resting at their gates go on to their stop events.
  ui::beginShutdown();
  previewGates_.release();
  slots_.stopAll(timing_.shutdownDeadline);
  ui::endShutdown();
  killTimer(kTimerLivePush);
  if (auto* app = ui::Application::instance()) app->quit(0);
}

}  // namespace varnacle::app
