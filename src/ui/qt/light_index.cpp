// The lights of a picture by place.
#include "ui/qt/light_index.h"

#include <algorithm>
#include <numeric>

namespace varnacle::ui {

LightIndex::LightIndex(std::vector<QRect> places) : places_(std::move(places)) {
  byTop_.resize(places_.size());
  std::iota(byTop_.begin(), byTop_.end(), std::size_t{0});
  std::stable_sort(byTop_.begin(), byTop_.end(), [this](std::size_t a, std::size_t b) {
    return places_[a].top() < places_[b].top();
  });
  for (const QRect& r : places_) tallest_ = std::max(tallest_, r.height());
}

void LightIndex::meeting(const QRect& part, std::vector<std::size_t>& out) const {
  out.clear();
  if (part.isEmpty()) return;
  // A light meeting the part starts at most `tallest_` rows above it.
  const int from = part.top() - tallest_;
  auto at = std::lower_bound(byTop_.begin(), byTop_.end(), from, [this](std::size_t i, int top) {
    return places_[i].top() < top;
  });
  for (; at != byTop_.end() && places_[*at].top() <= part.bottom(); ++at)
    if (places_[*at].intersects(part)) out.push_back(*at);
  std::sort(out.begin(), out.end());
}

}  // namespace varnacle::ui
