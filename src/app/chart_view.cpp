#include "app/chart_view.h"

#include <algorithm>
#include <charconv>

namespace varnacle::app {

namespace {

// A decimal attribute value; leading digits only, 0 when there are none.
int decimal(std::string_view text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

void CChartViewUI::setAttribute(std::string_view name, std::string_view value) {
  Control::setAttribute(name, value);
  if (name == "view") {
    if (value == "pie") setView(View::Pie);
    if (value == "histpgram") setView(View::Columns);
  } else if (name == "shadowimage") {
    shadowImage_ = value;
  } else if (name == "shadowimageheight") {
    shadowImageHeight_ = std::max(0, decimal(value));
  } else if (name == "pillarimage") {
    pillarImage_ = value;
  } else if (name == "pillarimagewidth") {
    pillarImageWidth_ = std::max(0, decimal(value));
  } else if (name == "showhtml") {
    showHtml_ = value == "true";
  } else if (name == "showtext") {
    showText_ = value == "true";
  } else if (name == "font") {
    fontIndex_ = decimal(value);
  } else {
    return;
  }
  invalidate();
}

void CChartViewUI::addItem(std::string name, double value) {
  items_.push_back({std::move(name), value});
  invalidate();
}

void CChartViewUI::clearItems() {
  items_.clear();
  invalidate();
}

void CChartViewUI::setView(View view) {
  view_ = view;
  invalidate();
}

void CChartViewUI::paint(ui::Painter& painter) {
  Control::paint(painter);
  if (rect().empty()) return;
  if (view_ == View::Pie) {
    paintPie(painter);
  } else {
    paintColumns(painter);
  }
}

ui::TextStyle CChartViewUI::textStyle(unsigned align) const {
  ui::TextStyle style;
  style.color = textColor();
  style.align = align;
  style.font = fontIndex_;
  style.singleLine = true;
  style.html = showHtml_;
  return style;
}

void CChartViewUI::paintPie(ui::Painter& painter) {
  if (items_.empty()) return;
  const PieLayout layout = layoutPie(rect(), items_, showText_);
  painter.setAntialiasing(true);
  painter.fillEllipse(layout.outerShadow, kPieOuterShadowColor);
  painter.fillEllipse(layout.innerShadow, kPieInnerShadowColor);
  for (const PieSlice& slice : layout.slices) {
    painter.fillPie(layout.pie, slice.startDeg, slice.sweepDeg, slice.color);
  }
  const ui::TextStyle style = textStyle(ui::kAlignLeft | ui::kAlignVCenter);
  for (std::size_t i = 0; i < layout.legend.size(); ++i) {
    painter.fillRect(layout.legend[i].swatch, pieColor(i));
    painter.drawText(layout.legend[i].text, items_[i].name, style);
  }
  painter.setAntialiasing(false);
}

void CChartViewUI::paintColumns(ui::Painter& painter) {
  const ColumnLayout layout =
      layoutColumns(rect(), items_, showText_, shadowImageHeight_, pillarImageWidth_);
  if (!shadowImage_.empty() && !painter.drawImage(shadowImage_, layout.shadow)) {
    shadowImage_.clear();
  }
  const ui::TextStyle style = textStyle(ui::kAlignCenter);
  for (std::size_t i = 0; i < layout.columns.size(); ++i) {
    if (!pillarImage_.empty() && !painter.drawImage(pillarImage_, layout.columns[i].column)) {
      pillarImage_.clear();
    }
    if (showText_) painter.drawText(layout.columns[i].label, items_[i].name, style);
  }
}

}  // namespace varnacle::app
