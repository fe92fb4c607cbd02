#pragma once
// Running the built programs from the command-line tests, as a user would.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "common/TextFile.h"
#include "support/TestSupport.h"

namespace aerolyx::test {

struct CliRun {
    int status = -1;  // exit status; -1 when it did not run or did not exit
    std::string out;  // standard output
    std::string err;  // standard error, when run apart
    std::string all() const { return out + err; }
};

// Runs a shell command line and collects its standard output.
inline CliRun Run(const std::string& cmd)
{
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// As Run, with standard error collected apart.
inline CliRun RunApart(const std::string& cmd)
{
    const TempDir dir;
    CliRun r = Run(cmd + " 2>" + dir.file("err.txt"));
    ReadTextFile(dir.file("err.txt"), r.err);
    return r;
}

// The built aerolyx-cli with these arguments (shell words) after an
// environment prefix, standard error apart.
inline CliRun Cli(const std::string& args, const std::string& env = {})
{
    return RunApart(env + " " + BuiltDataDir() + "/aerolyx-cli " + args);
}

// The text of a PDF, laid out as on the page.
inline std::string PdfText(const std::string& pdf) { return Run("pdftotext -layout " + pdf + " -").out; }

// A whole file as bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A field's value as a saved fan file holds it ("NAME=value"); empty when absent.
inline std::string FanField(const std::string& fan, const std::string& name)
{
    std::ifstream in(fan);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(name + "=", 0) == 0) return l.substr(name.size() + 1);
    return {};
}

}  // namespace aerolyx::test
