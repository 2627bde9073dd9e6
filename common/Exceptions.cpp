#include "common/Exceptions.h"

namespace kolvex {

// Out of line and never inlined, so that the return address is a code
// address in the function that raised the exception.
__attribute__((noinline)) Exception::Exception(std::string message)
    : message_(std::move(message)), address_(__builtin_return_address(0)) {}

}  // namespace kolvex
