// Rendering controls and windows into pixel buffers.
#include "ui/image.h"
#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

Image toImage(const QImage& source) {
  const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
  Image out{argb.width(), argb.height(), {}};
  out.pixels.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
  for (int y = 0; y < argb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    out.pixels.insert(out.pixels.end(), line, line + argb.width());
  }
  return out;
}

Image renderWidget(QWidget* widget, int width, int height) {
  QImage canvas(std::max(1, width), std::max(1, height), QImage::Format_ARGB32);
  canvas.fill(Qt::white);
  widget->render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
  return toImage(canvas);
}

}  // namespace

Image renderToImage(Control& control, int width, int height) {
  QWidget* widget = widgetOf(control);
  if (!widget || width <= 0 || height <= 0) return {};
  widget->setGeometry(widget->x(), widget->y(), width, height);
  layoutTree(control);
  return renderWidget(widget, width, height);
}

Image renderToImage(Window& window) {
  QWidget* top = topWidgetOf(window);
  if (!top || !window.root()) return {};
  window.relayout();
  return renderWidget(widgetOf(*window.root()), top->width(), top->height());
}

}  // namespace varnacle::ui
