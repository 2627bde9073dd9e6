#include "ipc/ServiceAccess.h"

namespace kolvex {

namespace {

std::string Hex(std::uint32_t mask) {
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += "0123456789abcdef"[(mask >> shift) & 0xf];
  return text;
}

}  // namespace

std::string PipeAccessText() {
  return "D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)(A;;" + Hex(kPipeUserRights) + ";;;AU)";
}

std::string ServiceAccessText() {
  return "D:(D;;GA;;;NU)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;SY)(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)(A;;" +
         Hex(kServiceUserRights) + ";;;AU)";
}

}  // namespace kolvex
