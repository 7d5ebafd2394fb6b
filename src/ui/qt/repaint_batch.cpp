// Gathered repaints of tinted lights.
#include "ui/repaint_batch.h"

#include <QPointer>
#include <QRegion>
#include <vector>

#include "ui/qt/native.h"

namespace varnacle::ui {

namespace {

// The parts of one picture to repaint, in the order they were asked for.
struct Pending {
  QPointer<QWidget> picture;
  std::vector<QRect> parts;
};

int& depth() {
  static int open = 0;
  return open;
}

std::vector<Pending>& pending() {
  static std::vector<Pending> all;
  return all;
}

// Merging halves keeps the work near n log n; adding the parts one by one to
// one region costs about n squared.
QRegion unite(const QRect* parts, std::size_t count) {
  if (count <= 8) {
    QRegion out;
    for (std::size_t i = 0; i < count; ++i) out += parts[i];
    return out;
  }
  const std::size_t half = count / 2;
  return unite(parts, half).united(unite(parts + half, count - half));
}

// A frame that changes lights over most of a picture repaints the area they
// span as one rectangle: the toolkit then clips every drawing of that repaint
// to one rectangle instead of a region of a part per light, and the picture
// copies its kept backdrop once instead of once per part.
constexpr std::size_t kManyParts = 32;

QRegion toRepaint(const std::vector<QRect>& parts) {
  if (parts.size() > kManyParts) {
    QRect span;
    qint64 covered = 0;
    for (const QRect& r : parts) {
      span |= r;
      covered += qint64{r.width()} * r.height();
    }
    if (2 * covered >= qint64{span.width()} * span.height()) return span;
  }
  return unite(parts.data(), parts.size());
}

}  // namespace

RepaintBatch::RepaintBatch() {
  ++depth();
}

RepaintBatch::~RepaintBatch() {
  if (--depth() > 0) return;
  std::vector<Pending> asked;
  asked.swap(pending());
  for (const Pending& p : asked)
    if (p.picture) p.picture->update(toRepaint(p.parts));
}

bool deferRepaint(QWidget& picture, const QRect& part) {
  if (depth() == 0) return false;
  auto& all = pending();
  // The lights of a frame come picture by picture.
  if (all.empty() || all.back().picture.data() != &picture) all.push_back({&picture, {}});
  all.back().parts.push_back(part);
  return true;
}

}  // namespace varnacle::ui
