#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace aerolyx::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "aerolyx-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string p = file(name);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
    return p;
}

std::string BuiltDataDir() { return AEROLYX_TEST_DATA_DIR; }
std::string SourceDir() { return AEROLYX_SOURCE_DIR; }

}  // namespace aerolyx::test
