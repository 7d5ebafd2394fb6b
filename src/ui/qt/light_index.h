#pragma once
// The lights of a picture by place. A preview frame's repaint region has a
// part for each light it changed; finding the lights over each part by
// looking at every light costs lights x parts checks (16 000 for the
// keyboard's 126 keys). Sorted by their top edge, only the lights in the
// part's rows are looked at.
#include <QRect>
#include <cstddef>
#include <vector>

namespace varnacle::ui {

class LightIndex {
 public:
  // The lights' places, in layout order (the order they are painted in).
  explicit LightIndex(std::vector<QRect> places);

  // The lights meeting `part`, by their place in layout order, in that order.
  void meeting(const QRect& part, std::vector<std::size_t>& out) const;
  // The place of light `i` (in layout order).
  const QRect& place(std::size_t i) const { return places_.at(i); }

 private:
  std::vector<QRect> places_;
  std::vector<std::size_t> byTop_;  // layout indices sorted by top edge
  int tallest_ = 0;
};

}  // namespace varnacle::ui
