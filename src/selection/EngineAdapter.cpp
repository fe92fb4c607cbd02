// The search's engine: one DORozEvIdad per selection run.
#include "engine/DORozEvIdad.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

namespace {
class RozEngine : public IFanEngine {
public:
    std::string Execute(int code, const std::string& params) override { return engine_.Execute(code, params); }
    bool RefusedByRange(const std::string& params) override { return engine_.RefusedByRange(params); }

private:
    DORozEvIdad engine_;
};
}  // namespace

std::unique_ptr<IFanEngine> MakeDefaultEngine() { return std::make_unique<RozEngine>(); }

}  // namespace aerolyx
