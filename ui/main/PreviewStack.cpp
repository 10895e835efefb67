#include "ui/main/PreviewStack.h"

#include <algorithm>

namespace quelo::ui {

void PreviewStack::Append(int32_t top, int32_t width, int32_t height, uint32_t backColour) {
  elements_.push_back({top - offset_, width, height, backColour});
  if (first_ == 0) first_ = Count();
}

PreviewElement PreviewStack::operator[](size_t k) const {
  PreviewElement e;
  e.left = left_;
  if (k < 1 || k > elements_.size()) return e;
  const Record& r = Base(static_cast<int>(k));
  e.top = r.top + offset_;
  e.width = r.width;
  e.height = r.height;
  e.visible = Visible(static_cast<int>(k));
  return e;
}

void PreviewStack::ShiftAll(int32_t d, int firstVisible) {
  offset_ += d;
  first_ = firstVisible;
}

template <class Test>
int PreviewStack::FirstPassing(Test test) const {
  const auto it = std::partition_point(elements_.begin(), elements_.end(),
                                       [&](const Record& r) { return !test(r.top + offset_, r.height); });
  return static_cast<int>(it - elements_.begin()) + 1;
}

int PreviewStack::IndexAt(int32_t x, int32_t y) const {
  if (first_ == 0 || x < left_) return 0;
  // The last element whose top is at or above y.
  const int k = FirstPassing([y](int32_t top, int32_t) { return top > y; }) - 1;
  if (k < first_ || k < 1) return 0;
  const Record& r = Base(k);
  const int32_t top = r.top + offset_;
  return x < left_ + r.width && y < top + r.height ? k : 0;
}

void PreviewStack::InRows(int32_t y0, int32_t y1, int* from, int* to) const {
  *from = 1;
  *to = 0;
  if (first_ == 0) return;
  *from = std::max(first_, FirstPassing([y0](int32_t top, int32_t height) { return top + height > y0; }));
  *to = FirstPassing([y1](int32_t top, int32_t) { return top >= y1; }) - 1;
}

int PreviewStack::FirstShowing(int k, int32_t top, int32_t viewHeight) const {
  if (k < 1 || k > Count()) return k;
  // With element v first, element k stands at Top(k) - Top(v) + top; its frame
  // reaches one pixel below its picture.
  const int32_t lowest = Top(k) + Base(k).height + 1 + top - viewHeight;
  return std::min(k, FirstPassing([lowest](int32_t t, int32_t) { return t > lowest; }));
}

}  // namespace quelo::ui
