#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/small_file.h"

namespace gapscope {

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::uintmax_t limit) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::optional<std::string> bytes;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<std::uintmax_t>(status.st_size) <= limit) {
        bytes.emplace();
        char chunk[65536];
        for (;;) {
            const ssize_t got = read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 || bytes->size() + static_cast<std::size_t>(got) > limit) {
                bytes.reset();
                break;
            }
            if (got == 0) break;
            bytes->append(chunk, static_cast<std::size_t>(got));
        }
    }
    close(fd);
    return bytes;
}

}  // namespace gapscope
