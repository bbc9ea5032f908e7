#include "tools/simulator/log_files.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace gapscope::sim {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, kLogFileCount> kNames = {
    "SegHistory.log", "LateSegHistory.log", "FileHistory.log", "process.log"};
constexpr std::size_t kFlushAt = 1 << 20;

}  // namespace

std::string_view LogFileName(LogFile file) {
    return kNames[static_cast<std::size_t>(file)];
}

void MemorySink::Append(LogFile file, std::string_view text) {
    texts_[static_cast<std::size_t>(file)] += text;
}

void CountingSink::Append(LogFile file, std::string_view text) {
    bytes_[static_cast<std::size_t>(file)] += text.size();
}

std::vector<std::string> ExistingLogs(const fs::path& directory) {
    std::vector<std::string> found;
    for (std::string_view name : kNames) {
        std::error_code ec;
        // A dangling link still counts: writing there would replace someone's entry.
        if (fs::exists(fs::symlink_status(directory / name, ec))) found.emplace_back(name);
    }
    return found;
}

std::unique_ptr<DirectorySink> DirectorySink::Open(const fs::path& directory, bool replace,
                                                   std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(directory, ec);
    if (fs::exists(status) && !fs::is_directory(status)) {
        error = directory.string() + " exists and is not a directory";
        return nullptr;
    }
    if (!fs::exists(status)) {
        fs::create_directories(directory, ec);
        if (ec) {
            error = "cannot create " + directory.string() + ": " + ec.message();
            return nullptr;
        }
    }
    if (!replace) {
        const std::vector<std::string> existing = ExistingLogs(directory);
        if (!existing.empty()) {
            std::string list;
            for (const std::string& name : existing) list += (list.empty() ? "" : ", ") + name;
            error = directory.string() + " already holds history logs (" + list +
                    "); use --replace to overwrite them";
            return nullptr;
        }
    }

    std::unique_ptr<DirectorySink> sink(new DirectorySink(directory));
    for (std::size_t i = 0; i < kLogFileCount; ++i) {
        const fs::path temp = sink->TempPath(i);
        fs::remove(temp, ec);  // a leftover of an interrupted run
        // "x": never open an existing file, which could be a link to somewhere else.
        sink->files_[i] = std::fopen(temp.string().c_str(), "wbx");
        if (sink->files_[i] == nullptr) {
            error = "cannot write " + temp.string() + ": " + std::strerror(errno);
            return nullptr;
        }
    }
    return sink;
}

DirectorySink::~DirectorySink() {
    for (std::size_t i = 0; i < kLogFileCount; ++i) {
        if (files_[i] != nullptr) std::fclose(files_[i]);
        if (!committed_) {
            std::error_code ec;
            fs::remove(TempPath(i), ec);
        }
    }
}

fs::path DirectorySink::FinalPath(std::size_t i) const {
    return directory_ / kNames[i];
}

fs::path DirectorySink::TempPath(std::size_t i) const {
    std::string name = ".";
    name += kNames[i];
    name += ".writing";
    return directory_ / name;
}

void DirectorySink::Append(LogFile file, std::string_view text) {
    const auto i = static_cast<std::size_t>(file);
    buffers_[i] += text;
    if (buffers_[i].size() >= kFlushAt) Flush(i);
}

void DirectorySink::Flush(std::size_t i) {
    if (files_[i] == nullptr || buffers_[i].empty()) return;
    if (std::fwrite(buffers_[i].data(), 1, buffers_[i].size(), files_[i]) != buffers_[i].size() &&
        !error_) {
        error_ = "cannot write " + TempPath(i).string() + ": " + std::strerror(errno);
    }
    buffers_[i].clear();
}

std::optional<std::string> DirectorySink::Commit() {
    for (std::size_t i = 0; i < kLogFileCount; ++i) {
        Flush(i);
        if (files_[i] != nullptr && std::fclose(files_[i]) != 0 && !error_) {
            error_ = "cannot write " + TempPath(i).string() + ": " + std::strerror(errno);
        }
        files_[i] = nullptr;
    }
    if (error_) return error_;
    for (std::size_t i = 0; i < kLogFileCount; ++i) {
        std::error_code ec;
        fs::rename(TempPath(i), FinalPath(i), ec);
        if (ec) return "cannot rename " + TempPath(i).string() + ": " + ec.message();
    }
    committed_ = true;
    return std::nullopt;
}

}  // namespace gapscope::sim
