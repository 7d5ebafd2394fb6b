#pragma once
// CChartViewUI: a pie or column chart of named values.
//
// Layout attributes (besides the plain control's): "view" ("pie" or
// "histpgram" for columns), "shadowimage", "shadowimageheight", "pillarimage"
// (the image stretched into each column), "pillarimagewidth", "showhtml",
// "showtext" (legend and column names), "font". A shadow or column image that
// cannot be drawn is forgotten, so a broken skin costs one failed load and not
// one per paint. Legend and column names use the control's text colour.
//
// Layouts name it "CChartViewUI" (registered class). UI thread only.
#include <string>
#include <vector>

#include "app/chart_layout.h"
#include "ui/control.h"

namespace varnacle::app {

class CChartViewUI : public ui::Control {
 public:
  enum class View { Pie = 0, Columns = 1 };

  void setAttribute(std::string_view name, std::string_view value) override;
  void paint(ui::Painter& painter) override;

  // Items, in legend and column order.
  void addItem(std::string name, double value);
  void clearItems();
  const std::vector<ChartItem>& items() const { return items_; }

  View view() const { return view_; }
  void setView(View view);
  const std::string& shadowImage() const { return shadowImage_; }
  int shadowImageHeight() const { return shadowImageHeight_; }
  const std::string& pillarImage() const { return pillarImage_; }
  int pillarImageWidth() const { return pillarImageWidth_; }
  bool showHtml() const { return showHtml_; }
  bool showText() const { return showText_; }
  int fontIndex() const { return fontIndex_; }

 private:
  void paintPie(ui::Painter& painter);
  void paintColumns(ui::Painter& painter);
  ui::TextStyle textStyle(unsigned align) const;

  std::vector<ChartItem> items_;
  View view_ = View::Pie;
  std::string shadowImage_;
  int shadowImageHeight_ = 0;
  std::string pillarImage_;
  int pillarImageWidth_ = 0;
  bool showHtml_ = false;
  bool showText_ = true;
  int fontIndex_ = -1;
};

}  // namespace varnacle::app
