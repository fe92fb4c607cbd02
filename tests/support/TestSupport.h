#pragma once
// Shared test helpers: temporary folders and the built data folder.
#include <string>

namespace aerolyx::test {

// A fresh folder under the system temp folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes raw bytes to a file in the folder and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

// The data folder the build laid out next to the executables.
std::string BuiltDataDir();
// The source tree (for test fixtures under tests/).
std::string SourceDir();

}  // namespace aerolyx::test
