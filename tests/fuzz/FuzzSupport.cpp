#include "FuzzSupport.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/AppContext.h"
#include "lang/MessageSink.h"

namespace aerolyx::fuzz {

const std::string& ScratchDir()
{
    // Never destroyed: the exit handler below still needs it.
    static const std::string* dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/aerolyx-fuzz.XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("aerolyx fuzz: mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchDir(), ec);
        });
        return new std::string(pattern);
    }();
    return *dir;
}

std::string WriteScratch(const std::string& name, std::string_view bytes)
{
    const std::string path = ScratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

AppContext& Started()
{
    static AppContext* ctx = [] {
        static int argc = 1;
        static char name[] = "aerolyx-fuzz";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        SetMessageSink([](const std::string&, MessageKind) {});
        auto* c = new AppContext;
        StartupOptions o;
        const char* env = std::getenv("AEROLYX_FUZZ_DATA");
        const std::string data = env && *env ? env : AEROLYX_FUZZ_DATA_DIR;
        o.dataDir = data;
        o.settingsDir = ScratchDir() + "/settings";
        if (!c->Main(std::move(o)) || !c->DBConnection) {
            std::fprintf(stderr, "aerolyx fuzz: the program did not start on %s\n", data.c_str());
            std::abort();
        }
        return c;
    }();
    return *ctx;
}

}  // namespace aerolyx::fuzz
