// The notification-area icon.
#include "ui/tray.h"

#include <QSystemTrayIcon>

#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

std::optional<bool>& availabilityOverride() {
  static std::optional<bool> value;
  return value;
}

}  // namespace

struct TrayIcon::Native {
  QPointer<QSystemTrayIcon> icon;
};

TrayIcon::TrayIcon() : native_(std::make_unique<Native>()) {}

TrayIcon::~TrayIcon() {
  remove();
}

void TrayIcon::create(Window& owner, std::string_view iconFile, std::string_view tip) {
  remove();
  tip_ = std::string(tip);
  auto* icon = new QSystemTrayIcon(topWidgetOf(owner));
  native_->icon = icon;
  QPixmap picture(16, 16);
  if (const QImage* image = skinImage(std::string(iconFile)))
    picture = QPixmap::fromImage(*image);
  else
    picture.fill(Qt::darkCyan);
  icon->setIcon(QIcon(picture));
  icon->setToolTip(qs(tip));
  const WindowId target = owner.id();
  QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                   [target](QSystemTrayIcon::ActivationReason reason) {
                     Window* w = Window::fromId(target);
                     if (!w) return;
                     if (reason == QSystemTrayIcon::Trigger)
                       w->sendMessage(kTrayMessage, 0, kTrayLeftButtonUp);
                     else if (reason == QSystemTrayIcon::Context)
                       w->sendMessage(kTrayMessage, 0, kTrayRightButtonUp);
                   });
  icon->show();
}

void TrayIcon::remove() {
  if (!native_->icon) return;
  native_->icon->hide();
  native_->icon->deleteLater();
  native_->icon = nullptr;
}

bool TrayIcon::isCreated() const {
  return native_->icon != nullptr;
}

void TrayIcon::setTip(std::string_view tip) {
  tip_ = std::string(tip);
  if (native_->icon) native_->icon->setToolTip(qs(tip));
}

bool TrayIcon::available() {
  if (const auto& forced = availabilityOverride()) return *forced;
  return QSystemTrayIcon::isSystemTrayAvailable();
}

ScopedTrayAvailability::ScopedTrayAvailability(bool available)
    : previous_(availabilityOverride()) {
  availabilityOverride() = available;
}

ScopedTrayAvailability::~ScopedTrayAvailability() {
  availabilityOverride() = previous_;
}

}  // namespace varnacle::ui
