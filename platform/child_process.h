#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gapscope {

// How a program run by RunProgram ended, and what it wrote on its standard output.
struct ProgramRun {
    std::optional<std::string> startError;  // it could not be started: why
    std::optional<int> exitStatus;          // it exited with this status
    std::optional<int> signal;              // a signal ended it
    std::string output;
};

// Runs `program` with `arguments`, gives it `input` on its standard input and waits for its
// end. Its standard error is this process's. A program that ends before it has read all of
// `input` does not end this process (no SIGPIPE). POSIX only.
ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, std::string_view input);

}  // namespace gapscope
