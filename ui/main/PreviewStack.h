// The previews of the panel as plain records: where each one stands, how large
// it is, whether it is shown. The panel draws the previews in view from their
// images, so a pack of any size costs one small record per image here, and
// moving all of them by a common offset is one addition.
//
// Elements count from 1. Coordinates are the panel's pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelo::ui {

// One element as the window reads it.
struct PreviewElement {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool visible = false;
};

class PreviewStack {
 public:
  // Every element shares this left edge.
  void SetLeft(int32_t left) { left_ = left; }
  int Count() const { return static_cast<int>(elements_.size()); }
  // Removes every element.
  void Clear() {
    elements_.clear();
    offset_ = 0;
    first_ = 0;
  }

  // Appends element Count() + 1 at top, shown. backColour is what the preview
  // was filled with before its image was drawn, and stays with it.
  void Append(int32_t top, int32_t width, int32_t height, uint32_t backColour);

  // An index outside 1..Count() reads as a hidden element of no size.
  PreviewElement operator[](size_t k) const;
  int32_t Top(int k) const { return Base(k).top + offset_; }
  uint32_t BackColour(int k) const { return Base(k).backColour; }
  bool Visible(int k) const { return first_ > 0 && k >= first_ && k <= Count(); }
  // The lowest visible index; 0 when none is.
  int FirstVisible() const { return first_; }

  // Moves every element by d; those below firstVisible are hidden.
  void ShiftAll(int32_t d, int firstVisible);

  // The visible element whose picture holds (x, y); 0 when none does.
  int IndexAt(int32_t x, int32_t y) const;
  // The visible elements whose pictures meet the rows y0..y1 - 1: from *from
  // to *to, none when *to < *from.
  void InRows(int32_t y0, int32_t y1, int* from, int* to) const;
  // The lowest first-visible index, at or below k, that shows element k
  // whole with its frame when the first visible element stands at top in a
  // panel viewHeight high; k itself when it can't be shown whole.
  int FirstShowing(int k, int32_t top, int32_t viewHeight) const;

 private:
  struct Record {
    int32_t top;  // before any shift
    int32_t width;
    int32_t height;
    uint32_t backColour;
  };
  const Record& Base(int k) const { return elements_[static_cast<size_t>(k - 1)]; }
  // The lowest index from 1 whose element passes test; Count() + 1 when none.
  // test must fail below some index and pass from there on, as it does for
  // questions about tops and bottoms, which grow with the index.
  template <class Test>
  int FirstPassing(Test test) const;

  std::vector<Record> elements_;
  int32_t left_ = 0;
  int32_t offset_ = 0;
  int first_ = 0;
};

}  // namespace quelo::ui
