// Reads one log as gapscope-report reads the segment history, for make bench to measure
// its peak memory against the log's size; prints the number of lines.
#include <cstdio>

#include "history/history_log.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gapscope_read_log LOG\n");
        return 2;
    }
    const gapscope::LogReadResult read = gapscope::ReadHistoryLog(argv[1]);
    if (read.status != gapscope::LogReadStatus::Ok) {
        std::fprintf(stderr, "%s: %s\n", argv[1], read.reason.c_str());
        return 1;
    }
    std::printf("%zu\n", read.log.LineCount());
    return 0;
}
