#include "common/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/Exceptions.h"
#include "support/DateTimeSupport.h"

namespace kolvex {
namespace {

using test::Calendar;
using test::FakeFormats;

double Encoded(const CalendarTime& t) {
  const std::optional<DateTime> v = EncodeDateTime(t);
  EXPECT_TRUE(v.has_value());
  return v ? v->value : std::nan("");
}

TEST(DateTime, DaysCountFromTheThirtiethOfDecember1899) {
  EXPECT_EQ(Encoded(Calendar(1899, 12, 30)), 0.0);
  EXPECT_EQ(Encoded(Calendar(1899, 12, 31)), 1.0);
  EXPECT_EQ(Encoded(Calendar(1900, 1, 1)), 2.0);
  EXPECT_EQ(Encoded(Calendar(1900, 3, 1)), 61.0);  // 1900 was no leap year
  EXPECT_EQ(Encoded(Calendar(2000, 2, 29)), 36585.0);
  EXPECT_EQ(Encoded(Calendar(1, 1, 1)), -693593.0);
  EXPECT_EQ(Encoded(Calendar(9999, 12, 31)), 2958465.0);
}

TEST(DateTime, TimeIsTheFractionCountingForwardsEvenBeforeDayZero) {
  EXPECT_EQ(Encoded(Calendar(1899, 12, 30, 12)), 0.5);
  EXPECT_EQ(Encoded(Calendar(1900, 1, 1, 18)), 2.75);
  EXPECT_EQ(Encoded(Calendar(1899, 12, 29, 6)), -1.25);
  EXPECT_EQ(DecodeDateTime({-1.25}), Calendar(1899, 12, 29, 6));
  EXPECT_EQ(DecodeDateTime({-0.5}), Calendar(1899, 12, 30, 12));  // -0 is day 0
}

TEST(DateTime, DecodeRoundsToTheMillisecondAndCarriesIntoTheNextDay) {
  const double oneMs = 1.0 / 86'400'000;
  EXPECT_EQ(DecodeDateTime({2.0 + 0.4 * oneMs}), Calendar(1900, 1, 1));
  EXPECT_EQ(DecodeDateTime({2.0 + 0.6 * oneMs}), Calendar(1900, 1, 1, 0, 0, 0, 1));
  EXPECT_EQ(DecodeDateTime({3.0 - 0.2 * oneMs}), Calendar(1900, 1, 2));
}

TEST(DateTime, EveryMillisecondOfADaySurvivesTheRoundTrip) {
  for (int ms = 0; ms < 86'400'000; ms += 997) {
    const CalendarTime t = Calendar(2024, 2, 29, ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000);
    EXPECT_EQ(DecodeDateTime({Encoded(t)}), t);
  }
  for (const CalendarTime& t : {Calendar(1, 1, 1, 23, 59, 59, 999), Calendar(9999, 12, 31, 23, 59, 59, 999),
                                Calendar(1899, 12, 29, 0, 0, 0, 1), Calendar(1600, 2, 29, 13, 14, 15, 16)})
    EXPECT_EQ(DecodeDateTime({Encoded(t)}), t);
}

TEST(DateTime, EncodeRefusesWhatNoCalendarHolds) {
  for (const CalendarTime& t :
       {Calendar(0, 1, 1), Calendar(10000, 1, 1), Calendar(2023, 2, 29), Calendar(2024, 4, 31), Calendar(2024, 0, 1), Calendar(2024, 13, 1), Calendar(2024, 1, 0),
        Calendar(2024, 1, 1, 24), Calendar(2024, 1, 1, 0, 60), Calendar(2024, 1, 1, 0, 0, 60), Calendar(2024, 1, 1, 0, 0, 0, 1000),
        Calendar(2024, 1, 1, -1), Calendar(2024, -1, 1)})
    EXPECT_FALSE(EncodeDateTime(t).has_value())
        << t.year << "-" << t.month << "-" << t.day << " " << t.hour << ":" << t.minute << ":" << t.second;
}

TEST(DateTime, DecodeRaisesForValuesNoCalendarHolds) {
  for (double v : {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                   2958466.0, -693594.0, 1e300, -1e300}) {
    EXPECT_THROW(DecodeDateTime({v}), EConvertError) << v;
  }
  EXPECT_NO_THROW(DecodeDateTime({2958465.999}));
  EXPECT_NO_THROW(DecodeDateTime({-693593.999}));
}

TEST(PackedDateTime, FieldsAndTwoSecondSteps) {
  // 2024-03-05 07:08:18: year 44, month 3, day 5; hour 7, minute 8, 9 two-second steps.
  const uint16_t date = (44 << 9) | (3 << 5) | 5;
  const uint16_t time = (7 << 11) | (8 << 5) | 9;
  ASSERT_TRUE(FromPackedDateTime(date, time).has_value());
  EXPECT_EQ(DecodeDateTime(*FromPackedDateTime(date, time)), Calendar(2024, 3, 5, 7, 8, 18));
  EXPECT_EQ(DecodeDateTime(*FromPackedDateTime((0 << 9) | (1 << 5) | 1, 0)), Calendar(1980, 1, 1));
  EXPECT_EQ(DecodeDateTime(*FromPackedDateTime(0xFF9F, 0xBF7D)), Calendar(2107, 12, 31, 23, 59, 58));
}

TEST(PackedDateTime, FieldsNoCalendarHoldsGiveNothing) {
  EXPECT_FALSE(FromPackedDateTime(0, 0).has_value());                          // month 0, day 0
  EXPECT_FALSE(FromPackedDateTime((44 << 9) | (2 << 5) | 30, 0).has_value());  // 30 February
  EXPECT_FALSE(FromPackedDateTime((44 << 9) | (1 << 5) | 1, 24 << 11).has_value());
  EXPECT_FALSE(FromPackedDateTime((44 << 9) | (1 << 5) | 1, 30).has_value());  // 60 seconds
  EXPECT_FALSE(FromPackedDateTime(0xFFFF, 0xFFFF).has_value());
}

TEST(FormatDateAndTime, TimeFollowsUnlessMidnightToTheSecond) {
  const FakeFormats formats;
  EXPECT_EQ(FormatDateAndTime(*EncodeDateTime(Calendar(2024, 3, 5, 7, 8, 9, 10)), formats), "5.3.2024 7:8:9,10");
  EXPECT_EQ(FormatDateAndTime(*EncodeDateTime(Calendar(2024, 3, 5, 0, 0, 1)), formats), "5.3.2024 0:0:1,0");
  EXPECT_EQ(FormatDateAndTime(*EncodeDateTime(Calendar(2024, 3, 5)), formats), "5.3.2024");
  EXPECT_EQ(FormatDateAndTime(*EncodeDateTime(Calendar(2024, 3, 5, 0, 0, 0, 999)), formats), "5.3.2024");
  EXPECT_EQ(FormatDateAndTime({0.0}, formats), "30.12.1899");
}

TEST(FormatShortDate, DateOnly) {
  const FakeFormats formats;
  EXPECT_EQ(FormatShortDate(*EncodeDateTime(Calendar(2024, 3, 5, 7, 8, 9)), formats), "5.3.2024");
  EXPECT_EQ(FormatShortDate({0.0}, formats), "30.12.1899");
}

}  // namespace
}  // namespace kolvex
