#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "files/replace_file.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

std::string Cause(int error) {
    return std::generic_category().message(error);
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
}

// Writes the whole of `bytes`, whatever a signal or a short write interrupts.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int FlushFile(int fd) {
    while (fsync(fd) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

}  // namespace

bool IsWriteProtected(const std::filesystem::path& file) {
    struct stat status {};
    if (stat(file.c_str(), &status) != 0) return false;
    // Root may write anything; a file that nobody may write is still read-only to it.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return access(file.c_str(), W_OK) != 0 && errno == EACCES;
}

std::optional<std::string> WriteFlushedFile(const std::filesystem::path& temporary,
                                            std::string_view bytes,
                                            const std::filesystem::path& target) {
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return "cannot create a file in " + TextOfPath(FolderOf(temporary)) + ": " + Cause(errno);
    }
    // The new file keeps the old one's permissions and, where allowed (root), its owner.
    struct stat old {};
    if (stat(target.c_str(), &old) == 0) {
        const int owned = fchown(fd, old.st_uid, old.st_gid);
        (void)owned;
        fchmod(fd, old.st_mode & 0777);
    }
    int error = WriteAll(fd, bytes) ? FlushFile(fd) : errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return std::nullopt;
    unlink(temporary.c_str());
    return "cannot write " + TextOfPath(target) + ": " + Cause(error);
}

ReplaceResult ReplaceFileWith(const std::filesystem::path& target,
                              const std::filesystem::path& replacement) {
    if (std::rename(replacement.c_str(), target.c_str()) != 0) {
        return {ReplaceResult::kFailed,
                "cannot replace " + TextOfPath(target) + ": " + Cause(errno)};
    }
    // The rename itself reaches the disk only with its folder.
    const std::filesystem::path folder = FolderOf(target);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = fd < 0 ? errno : FlushFile(fd);
    if (fd >= 0) close(fd);
    // Some file systems cannot flush a folder at all; they keep no journal to flush either.
    if (error == 0 || error == EINVAL || error == ENOTSUP) return {};
    return {ReplaceResult::kFailed, TextOfPath(target) + " was replaced, but the folder " +
                                        TextOfPath(folder) +
                                        " could not be flushed to disk: " + Cause(error)};
}

}  // namespace gapscope
