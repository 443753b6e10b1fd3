// A lobby's command line, whatever it holds: split, checked, and stored when
// it passes.
#include <string_view>

#include "state/command_line.h"
#include "state/launch_context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const auto words = GetCommandLine(raw);
    if (CheckLaunchWords(words) == LaunchError::None) {
        const LaunchContext launch = StoreLaunchValues(words);
        ScoreTitle(launch.bteScoreMode);
    }
    return 0;
}
