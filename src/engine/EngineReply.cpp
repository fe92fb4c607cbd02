#include "engine/EngineReply.h"

#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx {

EngineReply::EngineReply(std::string_view text)
{
    if (text.substr(0, 3) == "OK:") {
        text.remove_prefix(3);
        ok_ = true;
    }
    if (!text.empty()) fields_ = Split(text, '#');
}

double EngineReply::Num(std::size_t i) const { return i < fields_.size() ? TextToNum(fields_[i]) : 0.0; }

namespace {

// Part `part` of a band pair "level:A-level".
double PairPart(const std::vector<std::string>& fields, int band, std::size_t part)
{
    const std::size_t i = reply::kHeadFields + static_cast<std::size_t>(band);
    if (band < 0 || i >= fields.size()) return 0.0;
    const std::vector<std::string> pair = Split(fields[i], ':');
    return part < pair.size() ? TextToNum(pair[part]) : 0.0;
}

}  // namespace

double EngineReply::BandLevel(int band) const { return PairPart(fields_, band, 0); }
double EngineReply::BandLevelA(int band) const { return PairPart(fields_, band, 1); }

}  // namespace aerolyx
