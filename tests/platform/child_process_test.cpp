// Running a helper program: its input arrives whole, its output and its end come back, and
// a program that stops reading or cannot be started never ends the caller.
#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <csignal>

namespace gapscope {
namespace {

ProgramRun Shell(const std::string& script, std::string_view input) {
    return RunProgram("/bin/sh", {"-c", script}, input);
}

TEST(RunProgram, TheInputArrivesWholeAndTheOutputComesBack) {
    // More than any pipe holds, while the program answers as it reads.
    std::string input(3 << 20, 'x');
    input.back() = '\n';
    const ProgramRun run = Shell("cat; echo done", input);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, input + "done\n");
    EXPECT_FALSE(run.startError.has_value());
}

TEST(RunProgram, HowTheProgramEnded) {
    EXPECT_EQ(Shell("echo why; exit 3", "").exitStatus, 3);
    EXPECT_EQ(Shell("echo why; exit 3", "").output, "why\n");
    // It reads nothing of a large input and ends: no SIGPIPE for the caller.
    const ProgramRun early = Shell("exit 4", std::string(1 << 20, 'x'));
    EXPECT_EQ(early.exitStatus, 4);
    const ProgramRun killed = Shell("kill -KILL $$", "");
    EXPECT_EQ(killed.signal, SIGKILL);
    EXPECT_FALSE(killed.exitStatus.has_value());
    const ProgramRun missing = RunProgram("/no/such/program", {}, "input");
    ASSERT_TRUE(missing.startError.has_value());
    EXPECT_NE(missing.startError->find("No such file"), std::string::npos) << *missing.startError;
}

}  // namespace
}  // namespace gapscope
