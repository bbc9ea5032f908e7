// gapscope-picture: draws the PNG picture that gapscope-report --picture asks for, so that the
// command links no Qt GUI (it writes SVG itself). The command runs it with the file to write
// as its one argument and the picture's model on standard input (pictures/picture_request.h).
// Status: 0 written; 3 not written, and 2 a request it cannot read, either with the reason
// in one line on standard output.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

#include "pictures/picture_file.h"
#include "pictures/picture_request.h"
#include "pictures/qt_painter.h"
#include "platform/console.h"
#include "settings/version.h"
#include "startup/system_text.h"

namespace {

const char* const kUsage =
    "usage: gapscope-picture FILE < REQUEST (gapscope-report --picture runs it)";

int Fail(int status, const std::string& why) {
    std::cout << why << '\n' << std::flush;
    return status;
}

// --help and --version, as the other programs answer them: status 0, or 3 when standard
// output cannot be written.
int Answer(const std::string& text) {
    return gapscope::WriteStandard(gapscope::StandardStream::kOutput, text) ? 3 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gapscope::pictures;
    const std::string_view first = argc == 2 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        return Answer(std::string(kUsage) +
                      "\nDraws the picture of a gapscope-report --picture run, whose model it\n"
                      "reads on standard input. Status: 0 written, 2 a request it cannot read,\n"
                      "3 the picture not written (the reason in one line).\n");
    }
    if (first == "--version") {
        return Answer("gapscope-picture " + std::string(gapscope::kVersionText) + "\n");
    }
    if (argc != 2) {
        return Fail(2, kUsage);
    }
    const std::string text{std::istreambuf_iterator<char>(std::cin), {}};
    if (std::cin.bad()) return Fail(2, "the picture request could not be read");
    std::string error;
    const auto model = ParsePictureRequest(text, error);
    if (!model) return Fail(2, error);
    const OffscreenGui gui;
    const std::filesystem::path file = gapscope::PathFromText(argv[1]);
    const std::optional<std::string> problem = SavePicture(file, DrawingOf(*model), QtPng);
    if (problem) return Fail(3, *problem);
    return 0;
}
