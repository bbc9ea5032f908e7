#pragma once

#include <QDate>
#include <chrono>

#include "history/time_keys.h"

namespace gapscope {

inline QDate ToQDate(Day day) {
    const std::chrono::year_month_day ymd{day};
    return QDate(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                 static_cast<int>(static_cast<unsigned>(ymd.day())));
}

inline Day ToDay(const QDate& date) {
    return Day{std::chrono::year_month_day{std::chrono::year{date.year()},
                                           std::chrono::month{static_cast<unsigned>(date.month())},
                                           std::chrono::day{static_cast<unsigned>(date.day())}}};
}

// The UTC day of an instant; the process time zone plays no part.
inline Day UtcDayOf(std::chrono::system_clock::time_point instant) {
    return std::chrono::floor<std::chrono::days>(instant);
}

}  // namespace gapscope
