#include "app/qt/hosted_widget.h"

#include <QEvent>
#include <QPointer>

#include "ui/qt/native.h"

namespace varnacle::app {

namespace {

// Keeps the hosted widget filling its host widget. As the host's child it moves,
// hides and shows with the host by itself; only the size needs following.
class FillHost : public QObject {
 public:
  explicit FillHost(QWidget* hosted) : hosted_(hosted) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && hosted_) {
      hosted_->setGeometry(static_cast<QWidget*>(watched)->rect());
    }
    return false;
  }

 private:
  QPointer<QWidget> hosted_;
};

class HostedWidget : public HostedWindow {
 public:
  explicit HostedWidget(QWidget* widget) : widget_(widget), filter_(widget) {}
  ~HostedWidget() override {
    detach();
    delete widget_.data();
  }

  bool attachTo(const ui::Control& host) override {
    QWidget* area = ui::widgetOf(host);
    if (!widget_ || !area) return false;
    detach();
    host_ = area;
    widget_->setParent(area);
    widget_->setGeometry(area->rect());
    area->installEventFilter(&filter_);
    widget_->show();
    return true;
  }

  void detach() override {
    if (host_) host_->removeEventFilter(&filter_);
    host_ = nullptr;
    if (!widget_) return;
    widget_->hide();
    widget_->setParent(nullptr);
  }

 private:
  QPointer<QWidget> widget_;
  QPointer<QWidget> host_;
  FillHost filter_;
};

}  // namespace

std::unique_ptr<HostedWindow> hostWidget(QWidget* widget) {
  return std::make_unique<HostedWidget>(widget);
}

}  // namespace varnacle::app
