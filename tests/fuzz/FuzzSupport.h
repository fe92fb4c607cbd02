#pragma once
// What the fuzz targets share: the fuzzer's bytes as a file on disk (the
// readers take paths), and the program started once on the built data
// folder, as the command-line front end starts it. A target aborts when a
// property breaks (std::abort comes with this header).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace aerolyx {
class AppContext;
}

namespace aerolyx::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size)
{
    return size ? std::string_view(reinterpret_cast<const char*>(data), size) : std::string_view();
}

// A folder of this process's own, created once and kept for the run.
const std::string& ScratchDir();
// Writes the bytes to ScratchDir()/name and returns the path.
std::string WriteScratch(const std::string& name, std::string_view bytes);

// The program started on the built data folder (AEROLYX_FUZZ_DATA overrides
// it), per-user settings in the scratch folder, messages silenced. Started
// on the first call; lives for the process.
AppContext& Started();

// Splits input into lines at LF (a trailing CR dropped).
template <class F>
void ForEachLine(std::string_view text, F&& f)
{
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        f(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
}

}  // namespace aerolyx::fuzz
