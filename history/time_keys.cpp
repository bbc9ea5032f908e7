#include "history/time_keys.h"

#include <cstdio>

namespace gapscope {

namespace {

struct CivilDay {
    int year;
    unsigned month;
    unsigned day;
};

// Reads `width` decimal digits at `at`; nullopt when any is not a digit or the text is short.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t width) {
    if (text.size() < at + width) return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<Day> DayOf(std::optional<int> y, std::optional<int> m, std::optional<int> d) {
    if (!y || !m || !d) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year{*y},
                                          std::chrono::month{static_cast<unsigned>(*m)},
                                          std::chrono::day{static_cast<unsigned>(*d)}};
    if (!ymd.ok()) return std::nullopt;
    return Day{ymd};
}

std::optional<MinuteTime> MinuteOf(std::optional<Day> day, std::optional<int> hour,
                                   std::optional<int> minute) {
    if (!day || !hour || !minute || *hour > 23 || *minute > 59) return std::nullopt;
    return MinuteTime{*day} + std::chrono::hours{*hour} + std::chrono::minutes{*minute};
}

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

std::optional<Day> ParseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    return DayOf(Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2));
}

std::optional<Day> ParseCompactDate(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    return DayOf(Digits(text, 0, 4), Digits(text, 4, 2), Digits(text, 6, 2));
}

std::optional<MinuteTime> ParseIsoMinute(std::string_view text) {
    if (text.size() != 16 || text[10] != 'T' || text[13] != ':') return std::nullopt;
    return MinuteOf(ParseIsoDate(text.substr(0, 10)), Digits(text, 11, 2), Digits(text, 14, 2));
}

std::optional<MinuteTime> ParseMinuteKey(std::string_view text) {
    if (text.size() != 12) return std::nullopt;
    return MinuteOf(ParseCompactDate(text.substr(0, 8)), Digits(text, 8, 2), Digits(text, 10, 2));
}

std::string ClockTime(MinuteTime time) {
    const auto minute = static_cast<int>((time - std::chrono::floor<std::chrono::days>(time)).count());
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", minute / 60, minute % 60);
    return buffer;
}

int DayOfYear(Day day) {
    const std::chrono::year_month_day ymd{day};
    const Day first{ymd.year() / std::chrono::January / 1};
    return static_cast<int>((day - first).count()) + 1;
}

}  // namespace gapscope
