// Windows: the top-level widget, modal runs, timers, messages and the registry
// that lets other threads address a window by id.
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QHideEvent>
#include <QKeyEvent>
#include <QShowEvent>
#include <algorithm>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include "platform/debug_output.h"
#include "ui/application.h"
#include "ui/modal_responder.h"
#include "ui/qt/backdrop.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

std::map<WindowId, Window*>& registry() {
  static std::map<WindowId, Window*> windows;
  return windows;
}
WindowId nextId = 1;

// The controls in reading order: layouts in their stacking order, children
// placed freely (pictures with keys on them) top to bottom, then left to right.
void readingOrder(Control& c, std::vector<Control*>& out) {
  out.push_back(&c);
  auto* container = dynamic_cast<Container*>(&c);
  if (!container) return;
  std::vector<Control*> children;
  for (int i = 0; i < container->count(); ++i) children.push_back(container->itemAt(i));
  if (container->direction() == Container::Direction::None) {
    std::stable_sort(children.begin(), children.end(), [](Control* a, Control* b) {
      const Rect ra = a->rect(), rb = b->rect();
      return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
  }
  for (Control* child : children) readingOrder(*child, out);
}

class TopWidget : public QWidget {
 public:
  TopWidget(Window& window, QWidget* parent, Qt::WindowFlags flags)
      : QWidget(parent, flags), window_(&window) {}
  void forget() { window_ = nullptr; }
  Window* owner() const { return window_; }

 protected:
  // Tab and Shift+Tab go through the enabled, shown controls in reading order.
  bool focusNextPrevChild(bool next) override {
    if (!window_ || !window_->root()) return QWidget::focusNextPrevChild(next);
    std::vector<Control*> order;
    readingOrder(*window_->root(), order);
    std::vector<QWidget*> stops;
    for (Control* c : order) {
      QWidget* w = widgetOf(*c);
      if (w && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this))
        stops.push_back(w);
    }
    if (stops.empty()) return QWidget::focusNextPrevChild(next);
    int at = -1;
    for (QWidget* f = focusWidget(); f && at < 0 && f != this; f = f->parentWidget())
      for (std::size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == f) at = static_cast<int>(i);
    const int n = static_cast<int>(stops.size());
    const int to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
    stops[static_cast<std::size_t>(to)]->setFocus(next ? Qt::TabFocusReason
                                                       : Qt::BacktabFocusReason);
    return true;
  }
  // Escape closes a window that runs modal as its cancel would.
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && window_ &&
        Window::Native::of(*window_)->modalLoop) {
      window_->close(0);
      return;
    }
    QWidget::keyPressEvent(e);
  }

  void resizeEvent(QResizeEvent*) override {
    if (window_) window_->relayout();
  }
  void closeEvent(QCloseEvent* e) override {
    e->ignore();
    if (window_) window_->close(0);
  }
  void showEvent(QShowEvent* e) override {
    QWidget::showEvent(e);
    if (window_) Window::Native::updateSeen(*window_);
  }
  void hideEvent(QHideEvent* e) override {
    QWidget::hideEvent(e);
    if (window_) Window::Native::updateSeen(*window_);
  }
  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && window_) Window::Native::updateSeen(*window_);
    if (e->type() != QEvent::ActivationChange || !window_) return;
    const bool active = isActiveWindow();
    window_->sendMessage(kMsgActivate, active ? 1 : 0);
    if (!active && window_) window_->sendMessage(kMsgKillFocus);
  }

 private:
  Window* window_;
};

void collectByName(Control& c, std::string_view name, std::vector<Control*>& out) {
  if (c.name() == name) out.push_back(&c);
  if (auto* container = dynamic_cast<Container*>(&c))
    for (int i = 0; i < container->count(); ++i) collectByName(*container->itemAt(i), name, out);
}

}  // namespace

Window::Window() = default;

Window::~Window() {
  registry().erase(id_);
  if (native_ && native_->modalLoop) native_->modalLoop->exit(modalResult_);
  root_.reset();
  if (native_ && native_->top) {
    for (auto& [timerId, timer] : native_->timers) timer->stop();
    static_cast<TopWidget*>(native_->top.data())->forget();
    native_->top->hide();
    native_->top->deleteLater();
  }
}

bool Window::create(Window* parent, std::string_view title, WindowStyle style, Size size) {
  if (isCreated() || destroyed_) return false;
  if (!Application::instance()) {
    platform::debugOutput("window: no application object; cannot create " + windowClassName());
    return false;
  }
  LayoutWindowInfo info;
  auto root = buildLayoutFile(
      layoutName(), *this, [this](std::string_view cls) { return createControl(cls); }, &info);
  if (!root) return false;

  Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
  if (style.exStyle & kExStyleToolWindow) flags |= Qt::Tool;
  if (style.exStyle & kExStyleTopmost) flags |= Qt::WindowStaysOnTopHint;
  if (style.exStyle & kExStyleNoActivate) flags |= Qt::WindowDoesNotAcceptFocus;
  QWidget* parentTop = parent ? topWidgetOf(*parent) : nullptr;

  native_ = std::make_unique<Native>();
  auto* top = new TopWidget(*this, parentTop, flags);
  native_->top = top;
  native_->caption = info.caption;
  native_->layoutSize = info.size;
  if (style.exStyle & kExStyleNoActivate) top->setAttribute(Qt::WA_ShowWithoutActivating);
  top->setWindowTitle(qs(title));
  top->setObjectName(qs(windowClassName()));

  root_ = std::move(root);
  widgetOf(*root_)->setParent(top);
  widgetOf(*root_)->show();
  root_->setWindowRecursive(this);

  Size initial = size.width > 0 && size.height > 0 ? size : info.size;
  if (initial.width <= 0 || initial.height <= 0) initial = {400, 300};
  top->resize(scaled(initial.width), scaled(initial.height));
  relayout();

  id_ = nextId++;
  registry()[id_] = this;
  initWindow();
  if (!isCreated()) return true;  // initWindow closed it again
  const WindowId id = id_;
  QTimer::singleShot(0, top, [id] {
    if (Window* w = fromId(id)) w->deliverWindowInit();
  });
  if (style.style & kStyleVisible) show();
  return true;
}

bool Window::isCreated() const {
  return native_ && native_->top && !destroyed_;
}

void Window::deliverWindowInit() {
  if (root_) notify(Notification{std::string(notify::kWindowInit), root_.get()});
}

void Window::destroy() {
  if (!isCreated()) return;
  bool handled = false;
  handleMessage(kMsgDestroy, 0, 0, handled);
  destroyed_ = true;
  registry().erase(id_);
  for (auto& [timerId, timer] : native_->timers) timer->stop();
  native_->top->hide();
  if (native_->modalLoop) {
    native_->modalLoop->exit(modalResult_);
    native_->modalLoop = nullptr;
  }
  onFinalMessage();  // may delete this window object
}

void Window::close(int result) {
  modalResult_ = result;
  destroy();
}

int Window::showModal() {
  if (!isCreated()) return modalResult_;
  if (auto answer = askModalResponder(*this)) {
    const int result = *answer;
    close(result);
    return result;
  }
  QEventLoop loop;
  native_->modalLoop = &loop;
  native_->top->setWindowModality(Qt::ApplicationModal);
  show(true, true);
  // `this` may be gone when the loop ends (a window that deletes itself).
  return loop.exec();
}

void Window::show(bool show, bool takeFocus) {
  if (!isCreated()) return;
  QWidget* top = native_->top;
  if (!show) return top->hide();
  const bool noActivate = top->testAttribute(Qt::WA_ShowWithoutActivating);
  if (!takeFocus) top->setAttribute(Qt::WA_ShowWithoutActivating, true);
  top->show();
  if (!takeFocus) top->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
  if (takeFocus) {
    top->raise();
    top->activateWindow();
  }
}

void Window::updateSeen() {
  const bool seen = isCreated() && native_->top->isVisible() && !native_->top->isMinimized();
  if (seen == seen_) return;
  seen_ = seen;
  seenChanged(seen);
}

bool Window::isVisible() const {
  return isCreated() && native_->top->isVisible();
}

void Window::centre() {
  if (!isCreated()) return;
  QWidget* top = native_->top;
  QRect area;
  if (top->parentWidget() && top->parentWidget()->isVisible())
    area = top->parentWidget()->frameGeometry();
  else if (QScreen* screen = top->screen() ? top->screen() : QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  if (area.isEmpty()) return;
  top->move(area.center() - QPoint(top->width() / 2, top->height() / 2));
}

void Window::minimize() {
  if (isCreated()) native_->top->showMinimized();
}

void Window::maximize() {
  if (isCreated()) native_->top->showMaximized();
}

void Window::restore() {
  if (!isCreated()) return;
  native_->top->showNormal();
  native_->top->raise();
}

void Window::bringToFront() {
  if (!isCreated()) return;
  native_->top->raise();
  native_->top->activateWindow();
}

void Window::setTopmost(bool on) {
  if (!isCreated()) return;
  QWidget* top = native_->top;
  const bool visible = top->isVisible();
  top->setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) top->show();  // changing flags hides a window
}

Rect Window::geometry() const {
  if (!isCreated()) return {};
  const QRect g = native_->top->geometry();
  return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void Window::move(const Rect& r) {
  if (!isCreated()) return;
  native_->top->setGeometry(qrect(r));
  relayout();  // a hidden window gets no resize event until shown
}

void Window::setTitle(std::string_view title) {
  if (isCreated()) native_->top->setWindowTitle(qs(title));
}

void Window::setIcon(std::string_view file) {
  if (!isCreated()) return;
  if (const QImage* image = skinImage(std::string(file)))
    native_->top->setWindowIcon(QIcon(QPixmap::fromImage(*image)));
}

Control* Window::findControl(std::string_view name) const {
  if (!root_) return nullptr;
  if (root_->name() == name) return root_.get();
  auto* container = dynamic_cast<Container*>(root_.get());
  return container ? container->findSubControl(name) : nullptr;
}

std::vector<Control*> Window::findControls(std::string_view name) const {
  std::vector<Control*> found;
  if (root_) collectByName(*root_, name, found);
  return found;
}

void Window::notify(const Notification& n) {
  if (!n.sender || n.sender->virtualWindow().empty()) return;
  auto it = pumps_.find(n.sender->virtualWindow());
  if (it != pumps_.end()) it->second(n);
}

void Window::addVirtualWindow(std::string name, std::function<void(const Notification&)> pump) {
  pumps_[std::move(name)] = std::move(pump);
}

void Window::removeVirtualWindow(std::string_view name) {
  auto it = pumps_.find(name);
  if (it != pumps_.end()) pumps_.erase(it);
}

std::unique_ptr<Control> Window::createControl(std::string_view) {
  return nullptr;
}

std::intptr_t Window::handleMessage(std::uint32_t, std::uintptr_t, std::intptr_t, bool& handled) {
  handled = false;
  return 0;
}

std::intptr_t Window::sendMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  bool handled = false;
  return handleMessage(msg, wParam, lParam, handled);
}

void Window::setTimer(int id, int intervalMs) {
  if (!isCreated()) return;
  QTimer*& timer = native_->timers[id];
  if (!timer) {
    timer = new QTimer(native_->top);
    const WindowId window = id_;
    QObject::connect(timer, &QTimer::timeout, timer, [window, id] {
      if (Window* w = fromId(window)) w->onTimer(id);
    });
  }
  timer->start(std::max(0, intervalMs));
}

void Window::killTimer(int id) {
  if (!native_) return;
  auto it = native_->timers.find(id);
  if (it == native_->timers.end()) return;
  it->second->stop();
  it->second->deleteLater();
  native_->timers.erase(it);
}

void Window::onTimer(int) {}

Window* Window::fromId(WindowId id) {
  auto it = registry().find(id);
  return it == registry().end() ? nullptr : it->second;
}

std::string Window::instancePath() {
  return programFolder();
}

void Window::setDpi(int dpi) {
  dpi_ = std::clamp(dpi, 24, 960);
  if (root_) root_->setWindowRecursive(this);
  relayout();
}

void Window::resetDpiAssets() {
  clearImageCache();
}

void Window::invalidate() {
  if (!isCreated()) return;
  lookChanged(native_->top);
  native_->top->update();
}

void Window::relayout() {
  if (!root_ || !native_ || !native_->top) return;
  if (QWidget* w = widgetOf(*root_)) w->setGeometry(native_->top->rect());
  layoutTree(*root_);
  refreshAccessibleNames(*this);
}

void Window::reloadText() {
  for (auto& [id, window] : registry())
    if (window->root_) {
      window->root_->reloadText();
      refreshAccessibleNames(*window);
    }
}

void Window::addFont(int id, Font font, bool isDefault) {
  fonts_[id] = std::move(font);
  if (isDefault) defaultFont_ = id;
}

Window::Font Window::font(int id) const {
  auto it = fonts_.find(id);
  if (it == fonts_.end()) it = fonts_.find(defaultFont_);
  return it == fonts_.end() ? Font{} : it->second;
}

std::string Window::elidedText(int fontId, std::string_view text, int width, bool keepEnd) const {
  // Whole pixel font sizes at 125 % and 150 % are up to 4 % larger than the
  // exact scale.
  constexpr double kScaleRoom = 0.94;
  const QFontMetricsF metrics(fontFor(this, fontId));
  const QString whole = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return metrics
      .elidedText(whole, keepEnd ? Qt::ElideMiddle : Qt::ElideRight, std::max(0, width) * kScaleRoom)
      .toStdString();
}

void Window::addStyle(std::string name,
                      std::vector<std::pair<std::string, std::string>> attributes) {
  styles_[std::move(name)] = std::move(attributes);
}

const std::vector<std::pair<std::string, std::string>>* Window::style(std::string_view name) const {
  auto it = styles_.find(name);
  return it == styles_.end() ? nullptr : &it->second;
}

Window* windowOfTop(QWidget* w) {
  auto* top = dynamic_cast<TopWidget*>(w);
  return top ? top->owner() : nullptr;
}

QWidget* topWidgetOf(Window& w) {
  Window::Native* n = Window::Native::of(w);
  return n ? n->top.data() : nullptr;
}

}  // namespace varnacle::ui
