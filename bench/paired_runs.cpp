// Two commands started by turns, A B A B ..., each run timed from its start to its end (wall
// clock), and the ratio A/B taken pair by pair, so that a machine whose speed drifts during
// the runs moves both sides of each ratio alike. Their output goes to /dev/null.
// Usage: gapscope_paired_runs RUNS A [ARG ...] -- B [ARG ...]
// Prints the medians: "A_ms B_ms ratio".
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

// The milliseconds of one run, or a negative number when it could not be run or failed.
double TimedRun(std::vector<char*>& argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took.count() : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 0;
    std::vector<char*> a, b;
    bool second = false;
    for (int i = 2; i < argc; ++i) {
        if (!second && std::string(argv[i]) == "--") {
            second = true;
            continue;
        }
        (second ? b : a).push_back(argv[i]);
    }
    if (runs < 1 || a.empty() || b.empty()) {
        std::fprintf(stderr, "usage: gapscope_paired_runs RUNS A [ARG ...] -- B [ARG ...]\n");
        return 2;
    }
    a.push_back(nullptr);
    b.push_back(nullptr);
    // The first pair warms the caches and is not counted.
    std::vector<double> timesA, timesB, ratios;
    for (int i = 0; i <= runs; ++i) {
        const double ta = TimedRun(a);
        const double tb = TimedRun(b);
        if (ta < 0 || tb < 0) {
            std::fprintf(stderr, "gapscope_paired_runs: %s failed\n", ta < 0 ? a[0] : b[0]);
            return 1;
        }
        if (i == 0) continue;
        timesA.push_back(ta);
        timesB.push_back(tb);
        ratios.push_back(ta / tb);
    }
    std::printf("%.3f %.3f %.3f\n", Median(timesA), Median(timesB), Median(ratios));
    return std::ferror(stdout) || std::fflush(stdout) != 0 ? 1 : 0;
}
