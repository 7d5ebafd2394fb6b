#pragma once
// The drawing surface handed to a control's paint(). Qt-free, so custom controls
// (app/) paint without seeing the toolkit. Coordinates are window pixels of the
// control being painted (its rect() is where it lies); angles are degrees,
// measured clockwise from the positive x axis (screen coordinates, y down), and
// a positive sweep turns clockwise.
//
// UI thread only; a Painter lives for one paint() call.
#include <string_view>

#include "ui/geometry.h"

namespace varnacle::ui {

// Horizontal and vertical text alignment, combined with |.
enum Align : unsigned {
  kAlignLeft = 0x1,
  kAlignHCenter = 0x2,
  kAlignRight = 0x4,
  kAlignTop = 0x10,
  kAlignVCenter = 0x20,
  kAlignBottom = 0x40,
  kAlignCenter = kAlignHCenter | kAlignVCenter,
};

struct TextStyle {
  Color color = 0xFF000000;
  unsigned align = kAlignLeft | kAlignVCenter;
  // Index into the window's font table (layout <Font id=...>); -1 = the default font.
  int font = -1;
  bool singleLine = true;
  // The text is simple rich text (<b>, <i>, <font color=...>, <br>).
  bool html = false;
};

class Painter {
 public:
  virtual ~Painter() = default;

  virtual void fillRect(const Rect& r, Color c) = 0;
  virtual void strokeRect(const Rect& r, Color c, int penWidth = 1) = 0;
  // The ellipse inscribed in `r`.
  virtual void fillEllipse(const Rect& r, Color c) = 0;
  virtual void strokeEllipse(const Rect& r, Color c, int penWidth = 1) = 0;
  // A slice of the ellipse inscribed in `r`, from `startDeg` over `sweepDeg`.
  virtual void fillPie(const Rect& r, double startDeg, double sweepDeg, Color c) = 0;
  virtual void strokeArc(const Rect& r, double startDeg, double sweepDeg, Color c,
                         int penWidth = 1) = 0;
  virtual void drawLine(Point from, Point to, Color c, int penWidth = 1) = 0;
  virtual void drawText(const Rect& r, std::string_view utf8, const TextStyle& style) = 0;
  // Draws an image description ("file='ms/key.png' source='0,0,20,20'" or a bare
  // file name; skin-relative unless absolute) stretched into `dest`. False when
  // the image cannot be loaded or drawn; nothing is drawn then.
  virtual bool drawImage(std::string_view description, const Rect& dest) = 0;
  // The image's opaque parts covered by `color` at `alpha` (0..255); the tint
  // of a control. False as drawImage().
  virtual bool drawTintedImage(std::string_view description, const Rect& dest, Color color,
                               int alpha) = 0;
  // The image with its own tint over it: what drawImage() and then
  // drawTintedImage() of the same image paint. False as drawImage().
  virtual bool drawImageTintedOver(std::string_view description, const Rect& dest, Color color,
                                   int alpha) {
    return drawImage(description, dest) && drawTintedImage(description, dest, color, alpha);
  }
  // Limits later drawing to `r` (intersected with the current clip) until the
  // matching popClip().
  virtual void pushClip(const Rect& r) = 0;
  virtual void popClip() = 0;
  // Smooth edges for shapes drawn from now on (off by default).
  virtual void setAntialiasing(bool on) = 0;
};

}  // namespace varnacle::ui
