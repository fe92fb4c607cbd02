#pragma once
// The layout of the engine's duty reply, known here only.
//
// A full reply (command 1001, and 1004 / "MAIN") is "OK:" followed by fields
// joined with "#": the head, nine octave-band pairs "level:A-level" (band 0
// is unused, 1..8 = 63 Hz .. 8 kHz), then one record of kCurveFields per
// curve, the operating curve (slot 0) first and the catalogue curves 1..n
// after it. The short reply of command 1 has the head without the six
// fields DutyCoefficient .. ReferenceAngle and no curve records.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace aerolyx {

namespace reply {

enum Head : std::size_t {
    DutyFlow,
    ReferenceFlow,
    Density,
    DutyCoefficient,
    UpperCoefficient,
    LowerCoefficient,
    LowerCurve,
    UpperCurve,
    ReferenceAngle,
    CurveCount,
    kHeadFields
};
constexpr std::size_t kShortHeadFields = 4;  // DutyFlow, ReferenceFlow, Density, CurveCount
constexpr std::size_t kBandPairs = 9;

enum Curve : std::size_t {
    BladeAngle,
    Reserved1,
    PointCount,
    FlowMin,
    FlowMax,
    LowFlow,
    HighFlow,
    LowPressure,
    HighPressure,
    LowAngle,
    HighAngle,
    LowPower,
    HighPower,
    LowEta,
    HighEta,
    LowEtaCalc,
    HighEtaCalc,
    OpAngle,
    OpSoundPower,
    OpCurveAngle,
    Reserved20,
    OpFlow,
    OpPower,
    OpCurveEta,
    Reserved24,
    OpEta,
    OpStaticPressure,
    OpTotalPressure,
    OpDynamicPressure,
    OpExtraPressure,
    OpSoundPowerA,
    kCurveFields
};

// Position of a curve field of slot `slot` in a full reply.
constexpr std::size_t CurvePosition(int slot, Curve f)
{
    return kHeadFields + kBandPairs + static_cast<std::size_t>(slot) * kCurveFields + f;
}

}  // namespace reply

// A read-only view of one full duty reply. The fields are read with or
// without the leading "OK:"; missing fields read as 0, like empty text.
class EngineReply {
public:
    explicit EngineReply(std::string_view text);

    // "OK:" followed by at least the head, the bands and the operating curve.
    bool HasOperatingPoint() const { return ok_ && fields_.size() >= reply::CurvePosition(1, reply::BladeAngle); }
    double Head(reply::Head f) const { return Num(f); }
    double Curve(int slot, reply::Curve f) const { return Num(reply::CurvePosition(slot, f)); }
    // The operating point: the operating curve's fields.
    double Op(reply::Curve f) const { return Curve(0, f); }
    double BandLevel(int band) const;   // band 0..8
    double BandLevelA(int band) const;
    std::size_t FieldCount() const { return fields_.size(); }

private:
    double Num(std::size_t i) const;
    std::string_view FieldText(std::size_t i) const;
    double BandPart(int band, std::size_t part) const;  // part 0: level, 1: A-level

    bool ok_ = false;
    // Where each field lies in text_: a reply has hundreds of fields, read
    // once per candidate, and a few of them are ever asked for.
    struct Span {
        std::size_t begin, size;
    };
    std::string text_;
    std::vector<Span> fields_;
};

}  // namespace aerolyx
