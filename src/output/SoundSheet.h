#pragma once
// The sound sheet's content without any widget: which options are chosen,
// the table's cells and the chart's series for the octave-band data of one
// fan record. The window and the command line both draw from this.
#include <optional>
#include <string>
#include <vector>

namespace aerolyx {

class CFanData;
class ISettingsStore;

// The four option buttons: level kind (0 sound power, 1 sound pressure at
// the distance) and view (2 band levels with sum, 3 NR values with maximum).
struct SoundOptions {
    bool pressure = true;  // option 1; option 0 otherwise
    bool nrView = false;   // option 3; option 2 otherwise

    // SOUND/Opt1..Opt4 ("1" selected); a pair with neither or both set falls
    // back the way a pair of option buttons does: the later one wins.
    static SoundOptions Load(const ISettingsStore& store);
    void Save(ISettingsStore& store) const;
    bool operator==(const SoundOptions&) const = default;
};

struct SoundPoint {
    double x = 0;       // Hz
    double y = 0;       // dB
    std::string label;  // band caption on the axis, or the point's NR value
};

struct SoundSeries {
    std::string title;
    std::vector<SoundPoint> points;
    bool isCurve = false;  // an NR reference curve (NR view)
    int highlight = -1;    // index of the point with the largest NR, -1 none
};

struct SoundTable {
    int fixedRows = 1, fixedCols = 1;
    std::vector<std::vector<std::string>> cells;  // [row][col]
    int rows() const { return static_cast<int>(cells.size()); }
    int cols() const { return cells.empty() ? 0 : static_cast<int>(cells.front().size()); }
};

class SoundSheet {
public:
    static constexpr int kBands = 8;  // 63 Hz .. 8 kHz

    // Keeps the record (it must outlive the sheet) and applies the options;
    // without a listening distance the pressure option is unavailable and the
    // sheet shows sound power.
    void Open(const CFanData& record, const SoundOptions& wanted);
    // Changes the options; a pressure choice without a distance is refused
    // (false, nothing changed).
    bool SetOptions(const SoundOptions& o);

    const SoundOptions& Options() const { return shown_; }
    // What to store on closing: the user's level kind is kept while the sheet
    // could not offer pressure, so one fan without a distance does not
    // overwrite the preference.
    SoundOptions OptionsToSave() const;
    bool PressureAvailable() const { return pressureAvailable_; }

    // Field of band i (1..8) in the chosen level kind, and of the sum.
    std::string BandField(int band) const;
    std::string SumField() const;
    // Row label ("SPL" / "LWA", translated) and unit text ("[dB(A)]" / "[dB]").
    std::string RowLabel() const;
    std::string UnitText() const;

    // The band's level as shown (empty when the record has none for it).
    std::optional<double> BandLevel(int band) const;
    // NR of band i against the curves at its own centre frequency; empty
    // without a level.
    std::optional<double> BandNR(int band) const;
    // Band (1..8) with the largest NR, 0 when there is none.
    int MaxNRBand() const;

    SoundTable Table() const;
    std::vector<SoundSeries> Series() const;
    std::string AxisTitleY() const;
    std::string AxisTitleX() const { return "[Hz]"; }
    // Two lines: "<Noise Level>  -  <fan>" and "<project> - <client>".
    std::string TitleLine1() const;
    std::string TitleLine2() const;

    // "63 Hz" .. "8 kHz" and the centre frequency Fix(31.25 * 2^i + 0.5).
    static std::string BandCaption(int band);
    static double BandX(int band);
    // x of NR-curve band id b (2..9): 31.25 * 2^(b-1), labelled Fix(x + 0.5).
    static double CurveX(int bandId);

    static std::string FormatNR(double nr);  // "##0.0"

private:
    const CFanData* rec_ = nullptr;
    SoundOptions wanted_, shown_;
    bool pressureAvailable_ = true;
};

}  // namespace aerolyx
