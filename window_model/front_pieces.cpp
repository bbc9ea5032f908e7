#include "window_model/front_pieces.h"

namespace gapscope {

std::string WindowHelpText(std::string_view afterUsage, std::string_view afterSwitches) {
    std::string text =
        "Usage: gapscope [DATA_DIR] [SWITCH ...]\n"
        "       gapscope --help | --version\n"
        "\n"
        "Shows, for one UTC day, what a Meteosat Second Generation receiving station expected\n"
        "and never received, from the history logs (SegHistory.log, LateSegHistory.log,\n"
        "FileHistory.log) in DATA_DIR.\n"
        "\n"
        "Only the first argument can name DATA_DIR: a folder given after a switch\n"
        "(gapscope -P DIR) is ignored, as standard error then says. Without it the window\n"
        "reads the folder last chosen in it (click the \"Data from\" line at its foot), else\n"
        "the program's own folder; the unattended run reads the program's own folder.\n"
        "\n";
    text += afterUsage;
    text +=
        "Switches, anywhere on the command line, letter case ignored:\n"
        "  -s, /s         unattended run: save yesterday's report file into DATA_DIR and end\n"
        "  -neat, /neat   compact report file: no separator lines, one date line\n"
        "  -P             parallel-scan report\n"
        "  -NOFY2C        never check FY-2 cycle by cycle\n"
        "  -NOMPE         MPE is not expected (except in the IODC service)\n"
        "  -HIM           the Himawari report\n"
        "  -NOHIM         Himawari is never expected\n"
        "  --help         print this text and end\n"
        "  --version      print the version and end\n"
        "\n";
    text += afterSwitches;
    return text;
}

}  // namespace gapscope
