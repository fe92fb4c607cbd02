// The search's engine: one DORozEvIdad per selection run.
#include "selection/modCalcStart.h"

#if __has_include("engine/DORozEvIdad.h")
#include "engine/DORozEvIdad.h"
#define AEROLYX_HAVE_ENGINE 1
#endif

namespace aerolyx {

namespace {
#ifdef AEROLYX_HAVE_ENGINE
class RozEngine : public IFanEngine {
public:
    std::string Execute(int code, const std::string& params) override { return engine_.Execute(code, params); }

private:
    DORozEvIdad engine_;
};
#else
class RozEngine : public IFanEngine {
public:
    std::string Execute(int, const std::string&) override { return "ERROR: 1 'Illegal function"; }
};
#endif
}  // namespace

std::unique_ptr<IFanEngine> MakeDefaultEngine() { return std::make_unique<RozEngine>(); }

}  // namespace aerolyx
