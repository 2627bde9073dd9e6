#include "messages/komunikaty.h"

#include <utility>

namespace kolvex {

std::string TakeListItem(std::string& list) {
  const std::size_t separator = list.find(';');
  if (separator == std::string::npos) return std::exchange(list, std::string());
  std::string item = list.substr(0, separator);
  list.erase(0, separator + 1);
  return item;
}

}  // namespace kolvex
