#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/standard_stream.h"
#include "settings/version.h"
#include "tools/simulator/cli.h"

int main(int argc, char** argv) {
    using namespace gapscope;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto now = std::chrono::floor<std::chrono::minutes>(std::chrono::system_clock::now());
    StandardStreamBuffer outBuffer(StandardStream::kOutput);
    StandardStreamBuffer errBuffer(StandardStream::kError);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    err << std::unitbuf;
    int status = sim::RunSimulateCommand(arguments, now, out, err, kVersionText);
    out.flush();
    // Output that did not reach its reader is a failure, as in the other programs; a reader
    // that went away on purpose (`| head`) needs no message.
    if (const auto& failure = outBuffer.Failure()) {
        if (!failure->closedPipe)
            err << "gapscope-simulate: cannot write the output: " << failure->reason << "\n";
        if (status == 0) status = 1;
    }
    return status;
}
