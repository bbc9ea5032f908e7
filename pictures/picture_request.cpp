#include "pictures/picture_request.h"

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "history/time_keys.h"
#include "pictures/heatmap_drawing.h"
#include "pictures/timeline_drawing.h"

namespace gapscope::pictures {
namespace {

using nlohmann::json;

// Names the form of the text; a gapscope-picture of another version refuses it by this.
constexpr const char* kForm = "gapscope-picture 1";

// Shares go as JSON numbers, which keep a double (and a float) exactly.
json Counts(const DaySummary& s) {
    return {s.missingCycles, s.channels, s.segments, s.lateSegments, s.products, s.sequenceNumbers};
}

DaySummary CountsOf(const json& j) {
    return DaySummary{j.at(0).get<int>(), j.at(1).get<int>(), j.at(2).get<int>(),
                      j.at(3).get<int>(), j.at(4).get<int>(), j.at(5).get<int>()};
}

json Facts(const PictureFacts& facts) { return {facts.station, facts.version}; }

PictureFacts FactsOf(const json& j) {
    return PictureFacts{j.at(0).get<std::string>(), j.at(1).get<std::string>()};
}

json Heat(const HeatCell& cell) { return {static_cast<int>(cell.kind), cell.missingShare}; }

// An enumeration's value, refused when it names none of `E` up to `last`.
template <typename E>
E EnumOf(const json& j, E last) {
    const int value = j.get<int>();
    if (value < 0 || value > static_cast<int>(last)) throw std::out_of_range("no such value");
    return static_cast<E>(value);
}

HeatCell HeatOf(const json& j) {
    return HeatCell{EnumOf(j.at(0), HeatCell::Kind::BeforeLogsBegin), j.at(1).get<float>()};
}

json DayNumber(Day day) { return day.time_since_epoch().count(); }
Day DayOf(const json& j) { return Day{std::chrono::days{j.get<int>()}}; }

json TimelineJson(const Timeline& t) {
    json rows = json::array();
    for (const TimelineRow& row : t.rows) {
        json cells = json::array();
        for (const TimelineCell& cell : row.cells)
            cells.push_back({static_cast<int>(cell.state), cell.missingShare});
        rows.push_back({{"kind", static_cast<int>(row.kind)},
                        {"label", row.label},
                        {"channels", row.channels},
                        {"absentAllDay", row.absentAllDay},
                        {"expectedAtAll", row.expectedAtAll},
                        {"cells", std::move(cells)}});
    }
    return {{"day", DayNumber(t.day)},
            {"service", static_cast<int>(t.service)},
            {"parallel", t.parallel},
            {"himawari", t.himawari},
            {"cycleMinutes", t.cycleMinutes},
            {"columns", t.columns},
            {"rows", std::move(rows)},
            {"missingCycle", t.missingCycle},
            {"firstNotYetDue", t.firstNotYetDue ? json(*t.firstNotYetDue) : json()},
            {"counts", Counts(t.counts)},
            {"facts", Facts(t.facts)}};
}

json HeatMapJson(const HeatMap& map) {
    json rows = json::array();
    for (const HeatMapRow& row : map.rows) {
        json cells = json::array();
        for (const HeatCell& cell : row.cells) cells.push_back(Heat(cell));
        rows.push_back({{"day", DayNumber(row.day)},
                        {"status", static_cast<int>(row.status)},
                        {"cells", std::move(cells)},
                        {"total", Heat(row.total)},
                        {"counts", Counts(row.counts)}});
    }
    return {{"service", static_cast<int>(map.service)},
            {"cycleMinutes", map.cycleMinutes},
            {"columns", map.columns},
            {"rows", std::move(rows)},
            {"totals", Counts(map.totals)},
            {"facts", Facts(map.facts)}};
}

// The grid the layout and the painters assume: whole cycles of a day, one cell each.
void CheckGrid(int cycleMinutes, int columns) {
    if ((cycleMinutes != 5 && cycleMinutes != 15) || columns * cycleMinutes != kMinutesPerDay)
        throw std::out_of_range("a grid of " + std::to_string(columns) + " cycles of " +
                                std::to_string(cycleMinutes) + " minutes");
}

void CheckCells(std::size_t cells, int columns) {
    if (cells != static_cast<std::size_t>(columns))
        throw std::out_of_range(std::to_string(cells) + " cells in a row of " +
                                std::to_string(columns));
}

Timeline TimelineOf(const json& j) {
    Timeline t;
    t.day = DayOf(j.at("day"));
    t.service = EnumOf(j.at("service"), ScanMode::Iodc);
    t.parallel = j.at("parallel").get<bool>();
    t.himawari = j.at("himawari").get<bool>();
    t.cycleMinutes = j.at("cycleMinutes").get<int>();
    t.columns = j.at("columns").get<int>();
    CheckGrid(t.cycleMinutes, t.columns);
    for (const json& r : j.at("rows")) {
        TimelineRow row;
        row.kind = EnumOf(r.at("kind"), ItemKind::Himawari);
        row.label = r.at("label").get<std::string>();
        row.channels = r.at("channels").get<std::vector<ChannelNumber>>();
        row.absentAllDay = r.at("absentAllDay").get<bool>();
        row.expectedAtAll = r.at("expectedAtAll").get<bool>();
        for (const json& c : r.at("cells"))
            row.cells.push_back({EnumOf(c.at(0), CellState::BeforeLogsBegin), c.at(1).get<double>()});
        CheckCells(row.cells.size(), t.columns);
        t.rows.push_back(std::move(row));
    }
    t.missingCycle = j.at("missingCycle").get<std::vector<bool>>();
    CheckCells(t.missingCycle.size(), t.columns);
    if (!j.at("firstNotYetDue").is_null()) {
        t.firstNotYetDue = j.at("firstNotYetDue").get<int>();
        if (*t.firstNotYetDue < 0 || *t.firstNotYetDue > t.columns)
            throw std::out_of_range("the first cycle not yet due is outside the day");
    }
    t.counts = CountsOf(j.at("counts"));
    t.facts = FactsOf(j.at("facts"));
    return t;
}

HeatMap HeatMapOf(const json& j) {
    HeatMap map;
    map.service = EnumOf(j.at("service"), ScanMode::Iodc);
    map.cycleMinutes = j.at("cycleMinutes").get<int>();
    map.columns = j.at("columns").get<int>();
    CheckGrid(map.cycleMinutes, map.columns);
    for (const json& r : j.at("rows")) {
        HeatMapRow row;
        row.day = DayOf(r.at("day"));
        row.status = EnumOf(r.at("status"), DayStatus::Failed);
        for (const json& c : r.at("cells")) row.cells.push_back(HeatOf(c));
        if (!row.cells.empty()) CheckCells(row.cells.size(), map.columns);
        row.total = HeatOf(r.at("total"));
        row.counts = CountsOf(r.at("counts"));
        map.rows.push_back(std::move(row));
    }
    map.totals = CountsOf(j.at("totals"));
    map.facts = FactsOf(j.at("facts"));
    return map;
}

}  // namespace

Drawing DrawingOf(const PictureModel& model) {
    if (const Timeline* timeline = std::get_if<Timeline>(&model)) return DrawTimeline(*timeline);
    return DrawHeatMap(std::get<HeatMap>(model));
}

std::string PictureRequestText(const PictureModel& model) {
    json request = {{"request", kForm}};
    if (const auto* timeline = std::get_if<Timeline>(&model)) {
        request["timeline"] = TimelineJson(*timeline);
    } else {
        request["heatmap"] = HeatMapJson(std::get<HeatMap>(model));
    }
    // A name from outside that is not UTF-8 (the computer's) must not stop the run: its
    // bad bytes go as U+FFFD, as the SVG has them.
    return request.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<PictureModel> ParsePictureRequest(std::string_view text, std::string& error) {
    try {
        const json request = json::parse(text);
        if (!request.is_object() || request.value("request", json()) != kForm) {
            error = std::string("not a request of the form \"") + kForm +
                    "\" (gapscope-report and gapscope-picture of different versions?)";
            return std::nullopt;
        }
        if (request.contains("timeline")) return TimelineOf(request.at("timeline"));
        return HeatMapOf(request.at("heatmap"));
    } catch (const std::exception& e) {
        error = std::string("not a picture request: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace gapscope::pictures
