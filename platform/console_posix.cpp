#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/console.h"

namespace gapscope {

std::vector<std::string> CommandArguments(int argc, char** argv) {
    if (argc < 1) return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::optional<StandardWriteFailure> WriteStandard(StandardStream stream, std::string_view text) {
    const int fd = stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written == 0 ? EIO : errno;
            return StandardWriteFailure{std::generic_category().message(error), error == EPIPE};
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
}

}  // namespace gapscope
