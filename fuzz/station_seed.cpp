// Packs the logs of a (simulated) station into one day-report fuzz input:
//   fuzz_station_seed DIR YYYY-MM-DD [OPTION-BITS [SWITCH-BITS]] > seed
// Option bits follow the stored-option order, switch bits neat, P, NOFY2C, NOMPE, HIM,
// NOHIM, s (both in hexadecimal); without them the design defaults and no switches.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "fuzz/fuzz_inputs.h"

namespace {

using namespace gapscope;

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::cerr << "usage: fuzz_station_seed DIR YYYY-MM-DD [OPTION-BITS [SWITCH-BITS]]\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const std::optional<Day> day = ParseIsoDate(argv[2]);
    if (!day) {
        std::cerr << "not a day: " << argv[2] << "\n";
        return 2;
    }
    fuzz::DayReportInput input;
    input.day = *day;
    // Start from the header bits the options and switches decode from, so that the seed
    // says exactly what was asked for.
    const unsigned optionBits = argc > 3 ? std::stoul(argv[3], nullptr, 16) : 0;
    const unsigned switchBits = argc > 4 ? std::stoul(argv[4], nullptr, 16) : 0;
    if (argc > 3) {
        const std::string header = {static_cast<char>(optionBits & 0xFF),
                                    static_cast<char>(optionBits >> 8),
                                    static_cast<char>(switchBits), 0, 0};
        const fuzz::DayReportInput decoded = fuzz::DecodeDayReportInput(header);
        input.options = decoded.options;
        input.switches = decoded.switches;
    }
    input.segHistory = ReadFile(dir / "SegHistory.log").value_or("");
    input.lateSegHistory = ReadFile(dir / "LateSegHistory.log").value_or("");
    input.fileHistory = ReadFile(dir / "FileHistory.log").value_or("");
    input.processLog = ReadFile(dir / "process.log");
    const std::string bytes = fuzz::EncodeDayReportInput(input);
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return std::cout ? 0 : 1;
}
