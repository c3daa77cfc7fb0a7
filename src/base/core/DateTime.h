#pragma once

#include <cstdint>

// Date-times as the document formats and settings keep them: a double
// counting days since 30 December 1899, the fraction being the time of day.
// Before that day the whole part counts backwards while the fraction still
// runs forwards (-1.25 is 29 December 1899, 6:00).
using TDateTime = double;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// False (and out unchanged) for an impossible date; years 1 to 9999.
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
// False for hour > 23, minute > 59, second > 59 or ms > 999.
bool TryEncodeTime(int hour, int minute, int second, int ms, TDateTime& out);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
// The time of day, rounded to the millisecond.
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& ms);
// The current local date and time.
TDateTime Now();
// Seconds since 1970 UTC as a local date-time.
TDateTime UnixTimeToLocalDateTime(std::int64_t unixSeconds);
