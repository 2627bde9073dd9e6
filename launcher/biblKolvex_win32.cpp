#include "launcher/biblKolvex.h"

namespace kolvex {

void UpdateComponent(const std::string&, const std::string&, uint8_t, const std::string&, bool) {
  // The update procedure arrives with the version query and the verified copy.
}

}  // namespace kolvex
