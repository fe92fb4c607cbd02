#pragma once
// Reading and writing the program's text files. Reading decodes UTF-16LE
// (FF FE), UTF-8 when valid, Windows-1252 otherwise, into UTF-8. Writing is
// UTF-8 and atomic: a failed write never destroys the previous file.
#include <string>
#include <vector>

namespace aerolyx {

bool FileExists(const std::string& path);
// Whole file as UTF-8; false (and a message in *error) when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& out, std::string* error = nullptr);
// Lines without their CR/LF endings.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string* error = nullptr);
std::string DecodeText(const std::string& bytes);
bool WriteTextFileAtomic(const std::string& path, const std::string& content, std::string* error = nullptr);
// The file a write goes to before it replaces `path`; one left behind means
// that a save was cut short (the process was killed) before its rename.
std::string AtomicTempPath(const std::string& path);
// Joins a folder and a name with "/", accepting "\" in either part.
std::string JoinPath(const std::string& folder, const std::string& name);
// "\" -> "/" so that paths from the settings file work here.
std::string NormalizePath(const std::string& path);

}  // namespace aerolyx
