#include "engine/EngineReply.h"

#include "common/NumText.h"

namespace aerolyx {

EngineReply::EngineReply(std::string_view text)
{
    if (text.substr(0, 3) == "OK:") {
        text.remove_prefix(3);
        ok_ = true;
    }
    if (text.empty()) return;
    text_ = text;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text_.size(); ++i) {
        if (i == text_.size() || text_[i] == '#') {
            fields_.push_back(Span{start, i - start});
            start = i + 1;
        }
    }
}

std::string_view EngineReply::FieldText(std::size_t i) const
{
    return std::string_view(text_).substr(fields_[i].begin, fields_[i].size);
}

double EngineReply::Num(std::size_t i) const { return i < fields_.size() ? TextToNum(FieldText(i)) : 0.0; }

double EngineReply::BandPart(int band, std::size_t part) const
{
    const std::size_t i = reply::kHeadFields + static_cast<std::size_t>(band);
    if (band < 0 || i >= fields_.size()) return 0.0;
    // a band pair is "level:A-level"
    const std::string_view pair = FieldText(i);
    const std::size_t colon = pair.find(':');
    if (part == 0) return TextToNum(pair.substr(0, colon));
    return colon == std::string_view::npos ? 0.0 : TextToNum(pair.substr(colon + 1));
}

double EngineReply::BandLevel(int band) const { return BandPart(band, 0); }
double EngineReply::BandLevelA(int band) const { return BandPart(band, 1); }

}  // namespace aerolyx
