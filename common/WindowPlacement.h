#pragma once
// Where a window goes on the screen, apart from the windows that go there:
// rectangles and sizes in pixels, and the rule that centres a window.
namespace kolvex {

struct Box {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Box&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
};

// Where a window of the outer size goes: centred on the screen, then moved
// into the work area (the screen less the task bar).
Box PlaceWindow(Size outer, Size screen, const Box& workArea);

}  // namespace kolvex
