#pragma once
// Repaints of tinted lights asked for while a batch is open are gathered and
// asked for when it closes, one region per picture. A preview frame that
// changes every key of the keyboard then marks its picture dirty once,
// instead of merging 126 rectangles one by one into a growing region. UI
// thread only; batches may nest (the outermost one asks).
namespace varnacle::ui {

class RepaintBatch {
 public:
  RepaintBatch();
  ~RepaintBatch();
  RepaintBatch(const RepaintBatch&) = delete;
  RepaintBatch& operator=(const RepaintBatch&) = delete;
};

}  // namespace varnacle::ui
