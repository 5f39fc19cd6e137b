// Today's date, the library's only reading of the system clock.
//
// A new header takes today as its creation and execution date, and the execution date
// must lie in the current or the next calendar year. Tests pin "today" through
// SetToday so that the 15-day window and the turn of the year can be checked on any
// day of the year.
#ifndef DTAUS_FIELDS_CLOCK_H_
#define DTAUS_FIELDS_CLOCK_H_

namespace dtaus::detail {

struct CivilDate {
  int year;
  int month;  // 1-12
  int day;    // 1-31
};

struct LocalDateTime {
  CivilDate date;
  int hour;    // 0-23
  int minute;  // 0-59
  int second;  // 0-60
};

// The local date and time of the system clock, never pinned: for time stamps such as
// the creation time of a SEPA message.
LocalDateTime Now();

using TodayFunction = CivilDate (*)();

// The local date of the system clock, or the pinned one.
CivilDate Today();

// Pins today to what `today` returns (nullptr restores the system clock) and returns
// the function installed before.
TodayFunction SetToday(TodayFunction today);

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_CLOCK_H_
