#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "files/replace_file.h"
#include "files/replace_file_words.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

namespace fs = std::filesystem;

std::string Cause(int error) {
    return std::generic_category().message(error);
}

// A file descriptor, closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool open() const { return fd_ >= 0; }

  private:
    int fd_;
};

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

int Flush(int fd) {
    while (fsync(fd) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

std::string AccountName(uid_t uid) {
    passwd entry{};
    passwd* found = nullptr;
    std::array<char, 4096> buffer{};
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return std::string(found->pw_name) + " (UID " + std::to_string(uid) + ")";
    }
    return "UID " + std::to_string(uid);
}

// Root writes only where root alone can write, as logrotate and systemd-tmpfiles do: in a
// folder that another account may change, a link or a swapped folder could turn its write.
std::optional<std::string> RootRefusal(const fs::path& folder, const struct stat& at) {
    if (geteuid() != 0) return std::nullopt;
    const std::string start = "cannot write in " + TextOfPath(folder) + " as root: ";
    if (at.st_uid != 0) {
        return start + "it belongs to " + AccountName(at.st_uid) +
               "; run as its owner (User= in the unit's drop-in)";
    }
    if ((at.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (at.st_mode & S_ISVTX) == 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(at.st_mode & 07777));
        return start + "other accounts may write in it (mode " + mode +
               "); run as the account that writes it (User= in the unit's drop-in)";
    }
    return std::nullopt;
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

// Whether the regular file NAME of the folder begins with `start`; read without following
// a link or waiting on what may have been swapped in.
bool BeginsWith(int folder, const char* name, std::string_view start) {
    const Descriptor file(openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (!file.open() || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    std::string head(start.size(), '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = read(file.get(), head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return head == start;
}

// Why what stands at NAME (`old`) must not be replaced, if it must not.
std::optional<std::string> Refusal(int folder, const char* name, const fs::path& path,
                                   const struct stat& old, std::string_view ownStart) {
    if (S_ISLNK(old.st_mode)) return LinkRefused(path);
    if (!S_ISREG(old.st_mode)) return KindRefused(path, KindOf(old.st_mode));
    // Root may write anything; a file that nobody may write is still read-only to it.
    if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        (faccessat(folder, name, W_OK, 0) != 0 && errno == EACCES)) {
        return ReadOnlyRefused(path);
    }
    if (!ownStart.empty() && old.st_size > 0 && !BeginsWith(folder, name, ownStart)) {
        return NotOursRefused(path, ownStart);
    }
    return std::nullopt;
}

// Removes the temporary files of NAME that killed runs left: older than the stale age by the
// time of `fresh`, the file this run has just written, so that no clock is read.
void RemoveLeftovers(int folder, std::string_view name, const struct stat& fresh) {
    // A folder that may be entered but not read keeps them.
    const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return;
    DIR* entries = fdopendir(listing);
    if (entries == nullptr) {
        close(listing);
        return;
    }
    while (const dirent* entry = readdir(entries)) {
        if (!IsTemporaryFileOf(entry->d_name, name)) continue;
        struct stat left {};
        if (fstatat(folder, entry->d_name, &left, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(left.st_mode) &&
            left.st_mtim.tv_sec + kStaleAfterSeconds < fresh.st_mtim.tv_sec) {
            unlinkat(folder, entry->d_name, 0);
        }
    }
    closedir(entries);
}

// Flushes the folder, so that the rename reaches the disk. A folder that may be entered but
// not read cannot be opened to be flushed: the whole file system holding `file` is.
int FlushFolder(int folder, int file) {
    const Descriptor readable(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int error = 0;
    if (readable.open()) {
        error = Flush(readable.get());
    } else {
        error = errno;
        if (error == EACCES) error = syncfs(file) == 0 ? 0 : errno;
    }
    // Some file systems cannot flush a folder at all; they keep no journal to flush either.
    return error == EINVAL || error == ENOTSUP ? 0 : error;
}

}  // namespace

WriteOutcome WriteFile(const fs::path& path, std::string_view bytes, const WriteRules& rules) {
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..") return Failed(KindRefused(path, "a folder"));
    // The folder named is followed wherever it leads (a data folder may be a link); nothing
    // in it is.
    const Descriptor at(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat atStatus {};
    if (!at.open() || fstat(at.get(), &atStatus) != 0) {
        return Failed("cannot create a file in " + TextOfPath(folder) + ": " + Cause(errno));
    }
    if (auto refused = RootRefusal(folder, atStatus)) return Failed(std::move(*refused));
    struct stat old {};
    const bool exists = fstatat(at.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) {
        return Failed("cannot replace " + TextOfPath(path) + ": " + Cause(errno));
    }
    if (exists) {
        if (auto refused = Refusal(at.get(), name.c_str(), path, old, rules.ownStart)) {
            return Failed(std::move(*refused));
        }
    }

    const std::string temporary = TemporaryNameFor(name);
    const Descriptor file(openat(at.get(), temporary.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!file.open()) {
        return Failed("cannot create a file in " + TextOfPath(folder) + ": " + Cause(errno));
    }
    // The new file keeps the old one's permissions and, where allowed (root), its owner.
    if (exists) {
        const int owned = fchown(file.get(), old.st_uid, old.st_gid);
        (void)owned;
        fchmod(file.get(), old.st_mode & 0777);
    }
    struct stat fresh {};
    int error = WriteAll(file.get(), bytes) ? Flush(file.get()) : errno;
    if (error == 0 && fstat(file.get(), &fresh) != 0) error = errno;
    if (error != 0) {
        unlinkat(at.get(), temporary.c_str(), 0);
        return Failed("cannot write " + TextOfPath(path) + ": " + Cause(error));
    }
    RemoveLeftovers(at.get(), name, fresh);
    if (renameat(at.get(), temporary.c_str(), at.get(), name.c_str()) != 0) {
        error = errno;
        unlinkat(at.get(), temporary.c_str(), 0);
        return Failed("cannot replace " + TextOfPath(path) + ": " + Cause(error));
    }
    WriteOutcome outcome;
    if (const int unflushed = FlushFolder(at.get(), file.get())) {
        outcome.warning = Unflushed(path, folder, Cause(unflushed));
    }
    return outcome;
}

}  // namespace gapscope
