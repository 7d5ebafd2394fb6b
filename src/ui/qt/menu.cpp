// Popup menus from a menu layout.
#include "ui/menu.h"

#include <QCursor>
#include <QFile>
#include <QMenu>
#include <QXmlStreamReader>

#include "platform/debug_output.h"
#include "ui/application.h"
#include "ui/attributes.h"
#include "ui/language.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

struct Menu::Native {
  QPointer<QMenu> menu;
};

Menu::Menu(Window& owner, std::string_view layout)
    : owner_(owner), native_(std::make_unique<Native>()) {
  Application* app = Application::instance();
  const std::string path = app ? app->resolve(layout) : std::string(layout);
  QFile f(qs(path));
  if (!f.open(QIODevice::ReadOnly)) {
    platform::debugOutput("menu: cannot read " + path);
    return;
  }
  QXmlStreamReader xml(f.readAll());
  std::vector<MenuItem> items;
  if (xml.readNextStartElement()) {
    while (xml.readNextStartElement()) {
      if (equalsNoCase(xml.name().toString().toStdString(), "MenuElement")) {
        const auto a = xml.attributes();
        items.push_back(MenuItem{
            a.value("name").toString().toStdString(), a.value("text").toString().toStdString(),
            a.value("userdata").toString().toStdString(),
            parseBool(a.value("checked").toString().toStdString()).value_or(false)});
      }
      xml.skipCurrentElement();
    }
  }
  if (xml.hasError()) {
    platform::debugOutput("menu: " + path + ": " + xml.errorString().toStdString());
    return;
  }
  items_ = std::move(items);
}

Menu::~Menu() {
  if (native_->menu) {
    native_->menu->hide();
    native_->menu->deleteLater();  // may be inside its own signal
  }
}

void Menu::insertItem(int position, MenuItem item) {
  position = std::clamp(position, 0, static_cast<int>(items_.size()));
  items_.insert(items_.begin() + position, std::move(item));
}

void Menu::popup(Point at, unsigned align) {
  if (native_->menu) native_->menu->deleteLater();
  auto* menu = new QMenu(topWidgetOf(owner_));
  native_->menu = menu;
  const WindowId owner = owner_.id();
  for (const MenuItem& item : items_) {
    QAction* action = menu->addAction(qs(languageText(item.text)));
    action->setCheckable(item.checked);
    action->setChecked(item.checked);
    action->setObjectName(qs(item.name));
    QObject::connect(action, &QAction::triggered, menu, [owner, item] {
      MenuCommand record{item.name, item.userData, item.text, item.checked};
      if (Window* w = Window::fromId(owner))
        w->sendMessage(kMenuCommandMessage, reinterpret_cast<std::uintptr_t>(&record));
    });
  }
  const QSize size = menu->sizeHint();
  QPoint pos(at.x, at.y);
  if (align & kAlignRight) pos.rx() -= size.width();
  if (align & kAlignHCenter) pos.rx() -= size.width() / 2;
  if (align & kAlignBottom) pos.ry() -= size.height();
  if (align & kAlignVCenter) pos.ry() -= size.height() / 2;
  menu->popup(pos);
}

bool Menu::isOpen() const {
  return native_->menu && native_->menu->isVisible();
}

void Menu::close() {
  if (native_->menu) native_->menu->close();
}

Point cursorPosition() {
  const QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

}  // namespace varnacle::ui
