#include <cstdio>

#include "platform/console.h"

namespace gapscope {

std::vector<std::string> CommandArguments(int argc, char** argv) {
    if (argc < 1) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

void WriteStandard(StandardStream stream, std::string_view text) {
    std::FILE* file = stream == StandardStream::kOutput ? stdout : stderr;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
}

}  // namespace gapscope
