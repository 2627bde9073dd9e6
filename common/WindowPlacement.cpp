#include "common/WindowPlacement.h"

#include <algorithm>

namespace kolvex {

Box PlaceWindow(Size outer, Size screen, const Box& workArea) {
  auto within = [](int centred, int size, int start, int length) {
    return std::max(start, std::min(centred, start + length - size));
  };
  return {within((screen.width - outer.width) / 2, outer.width, workArea.left, workArea.width),
          within((screen.height - outer.height) / 2, outer.height, workArea.top, workArea.height), outer.width,
          outer.height};
}

}  // namespace kolvex
