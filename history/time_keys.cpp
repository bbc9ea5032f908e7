#include "history/time_keys.h"

#include <cstdio>

namespace gapscope {

namespace {

struct CivilDay {
    int year;
    unsigned month;
    unsigned day;
};

CivilDay Civil(Day day) {
    const std::chrono::year_month_day ymd{day};
    return {static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
            static_cast<unsigned>(ymd.day())};
}

}  // namespace

std::string MinuteKey(Day day, int minute) {
    // Minutes outside the day roll over into the neighbouring day, as the instant
    // day + minute/1440 would.
    const auto instant = day + std::chrono::minutes{minute};
    const auto whole = std::chrono::floor<std::chrono::days>(instant);
    const auto time = std::chrono::hh_mm_ss{instant - whole};
    const CivilDay c = Civil(whole);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02u%02d%02d", c.year, c.month, c.day,
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
    return buffer;
}

std::string CompactDate(Day day) {
    const CivilDay c = Civil(day);
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%04d%02u%02u", c.year, c.month, c.day);
    return buffer;
}

std::string IsoDate(Day day) {
    const CivilDay c = Civil(day);
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", c.year, c.month, c.day);
    return buffer;
}

int DayOfYear(Day day) {
    const std::chrono::year_month_day ymd{day};
    const Day first{ymd.year() / std::chrono::January / 1};
    return static_cast<int>((day - first).count()) + 1;
}

}  // namespace gapscope
