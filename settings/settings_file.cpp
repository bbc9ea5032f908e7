#include "settings/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "files/replace_file.h"
#include "settings/stored_options.h"
#include "startup/system_text.h"

namespace gapscope {
namespace {

// Far more than every value the programs keep; anything larger is no settings file.
constexpr off_t kLargestSettings = 1 << 20;

std::string Cause(int error) {
    return std::generic_category().message(error);
}

std::string KindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISSOCK(mode)) return "a socket";
    return "no regular file";
}

// The file as it stands, in one line: "the settings file PATH " + what.
SettingsFile Refused(const std::filesystem::path& path, const std::string& what) {
    SettingsFile file;
    file.problem = "the settings file " + TextOfPath(path) + " " + what;
    return file;
}

// Reads all of an open regular file, up to a byte more than the largest settings.
bool ReadAll(int fd, std::string& bytes) {
    char buffer[8192];
    while (bytes.size() <= static_cast<std::size_t>(kLargestSettings)) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

}  // namespace

std::optional<std::filesystem::path> SettingsFilePath(const std::string& programBaseName) {
    std::filesystem::path folder;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config != nullptr && *config == '/') {
        folder = config;
    } else if (home != nullptr && *home == '/') {
        folder = std::filesystem::path(home) / ".config";
    } else {
        return std::nullopt;
    }
    return folder / kSettingsFolder / (programBaseName + ".conf");
}

SettingsFile ReadSettingsFile(const std::filesystem::path& path) {
    const std::string notUsed = ": it is neither read nor replaced, and the defaults are used";
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) return Refused(path, "cannot be read (" + Cause(errno) + ")" + notUsed);
        SettingsFile none;  // nothing stored yet
        none.replace = path;
        return none;
    }
    const uid_t user = geteuid();
    std::filesystem::path target = path;
    const bool linked = S_ISLNK(status.st_mode);
    if (linked) {
        // A link to settings kept elsewhere, as a dotfile manager makes them, and only that.
        if (status.st_uid != user) return Refused(path, "is a link owned by another user" + notUsed);
        if (stat(path.c_str(), &status) != 0)
            return Refused(path, "is a link that leads nowhere (" + Cause(errno) + ")" + notUsed);
        if (status.st_uid != user)
            return Refused(path, "is a link to a file owned by another user" + notUsed);
        std::error_code error;
        target = std::filesystem::canonical(path, error);
        if (error) return Refused(path, "is a link that cannot be followed (" + error.message() + ")" + notUsed);
    }
    // Never opened unless it is a regular file: opening a device can act on it.
    if (!S_ISREG(status.st_mode))
        return Refused(path, "is " + KindOf(status.st_mode) + ", not a regular file" + notUsed);
    if (status.st_size > kLargestSettings) return Refused(path, "is larger than 1 MiB" + notUsed);
    // Without blocking, and checked again once open, should something else stand there now.
    const int fd = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return Refused(path, "cannot be read (" + Cause(errno) + ")" + notUsed);
    SettingsFile file;
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_ino != status.st_ino ||
        opened.st_dev != status.st_dev) {
        close(fd);
        return Refused(path, "changed while it was read" + notUsed);
    }
    const bool whole = ReadAll(fd, file.bytes);
    const int error = errno;
    close(fd);
    if (!whole) return Refused(path, "cannot be read (" + Cause(error) + ")" + notUsed);
    if (file.bytes.size() > static_cast<std::size_t>(kLargestSettings))
        return Refused(path, "is larger than 1 MiB" + notUsed);
    file.text = ParseSettingsText(file.bytes);
    file.replace = target;
    return file;
}

std::optional<std::string> WriteSettingsValues(const std::filesystem::path& path,
                                               const std::map<std::string, std::string>& values) {
    SettingsFile file = ReadSettingsFile(path);
    if (!file.replace) return file.problem;
    for (const auto& [name, value] : values) file.text.values[name] = value;
    const std::string bytes = SettingsTextBytes(file.text);
    if (bytes == file.bytes) return std::nullopt;
    // The first value stored makes the folder.
    std::error_code error;
    std::filesystem::create_directories(file.replace->parent_path(), error);
    return WriteFileInPlaceOf(*file.replace, bytes);
}

std::optional<std::string> StoredValue(const std::string& programBaseName, std::string_view name) {
    const std::optional<std::filesystem::path> path = SettingsFilePath(programBaseName);
    if (!path) return std::nullopt;
    const SettingsFile file = ReadSettingsFile(*path);
    const auto found = file.text.values.find(std::string(name));
    if (found == file.text.values.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> StoreValues(const std::string& programBaseName,
                                       const std::map<std::string, std::string>& values) {
    const std::optional<std::filesystem::path> path = SettingsFilePath(programBaseName);
    if (!path) return "no home folder to keep the settings in";
    return WriteSettingsValues(*path, values);
}

}  // namespace gapscope
