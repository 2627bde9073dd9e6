#pragma once
// The system's date-time value: days since 30 December 1899, the time of day
// as the fraction.
namespace kolvex {

struct DateTime {
  double value = 0.0;
  friend bool operator==(DateTime, DateTime) = default;
};

}  // namespace kolvex
