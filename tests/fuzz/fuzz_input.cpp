#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace redten::fuzz {

std::string ScratchFile(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        const std::filesystem::path dir =
            std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        return (dir / ("redten-fuzz-" + std::to_string(getpid()))).string();
    }();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

}  // namespace redten::fuzz
