#include "output/SoundSheet.h"

#include <cmath>

#include "acoustics/CNoise.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Rounding.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"

namespace aerolyx {

namespace {

std::string Tr(const std::string& text) { return fieldenv::Translate(text); }

bool IsSet(const ISettingsStore& store, const char* key, const char* def)
{
    return Trim(store.Get("SOUND", key, def)) == "1";
}

}  // namespace

SoundOptions SoundOptions::Load(const ISettingsStore& store)
{
    SoundOptions o;
    // Restored in order Opt1..Opt4: selecting one option button clears its
    // partner, so with both set the later one counts; with none the default.
    const bool o0 = IsSet(store, "Opt1", "0"), o1 = IsSet(store, "Opt2", "1");
    o.pressure = o1 || !o0;
    o.nrView = IsSet(store, "Opt4", "0");
    return o;
}

void SoundOptions::Save(ISettingsStore& store) const
{
    store.Set("SOUND", "Opt1", pressure ? "0" : "1");
    store.Set("SOUND", "Opt2", pressure ? "1" : "0");
    store.Set("SOUND", "Opt3", nrView ? "0" : "1");
    store.Set("SOUND", "Opt4", nrView ? "1" : "0");
}

void SoundSheet::Open(const CFanData& record, const SoundOptions& wanted)
{
    rec_ = &record;
    wanted_ = wanted;
    shown_ = wanted;
    // An empty or unreadable distance counts as none.
    const Variant d = record.ValueI("I_LwpDist");
    const double dist = d.isNumeric() ? d.toDouble() : (d.isText() && IsNumeric(d.textValue()) ? TextToNum(d.textValue()) : 0.0);
    pressureAvailable_ = std::isfinite(dist) && dist != 0.0;
    if (!pressureAvailable_) shown_.pressure = false;
}

bool SoundSheet::SetOptions(const SoundOptions& o)
{
    if (o.pressure && !pressureAvailable_) return false;
    shown_ = o;
    wanted_.nrView = o.nrView;
    if (pressureAvailable_) wanted_.pressure = o.pressure;
    return true;
}

SoundOptions SoundSheet::OptionsToSave() const
{
    SoundOptions o = shown_;
    if (!pressureAvailable_) o.pressure = wanted_.pressure;
    return o;
}

std::string SoundSheet::BandField(int band) const
{
    return "O_L1wp" + std::to_string(band) + (shown_.pressure ? "d" : "");
}

// The overall levels of the first speed, beside the band levels they sum.
std::string SoundSheet::SumField() const { return shown_.pressure ? "O_LwA1" : "O_Lw1"; }

std::string SoundSheet::RowLabel() const { return Tr(shown_.pressure ? "SPL" : "LWA"); }

std::string SoundSheet::UnitText() const { return shown_.pressure ? "[dB(A)]" : "[dB]"; }

std::optional<double> SoundSheet::BandLevel(int band) const
{
    if (!rec_ || band < 1 || band > kBands) return std::nullopt;
    // The level as the table shows it, so chart and table never disagree.
    const std::string shown = rec_->ValueF(BandField(band));
    double v = 0;
    if (shown.empty() || !ParseDisplayNumber(shown, v) || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> SoundSheet::BandNR(int band) const
{
    if (!rec_ || band < 1 || band > kBands) return std::nullopt;
    const Variant v = rec_->Value(BandField(band));
    if (!v.isNumeric() || !std::isfinite(v.toDouble())) return std::nullopt;
    return CNoise().GetNoiseNR(v.toDouble(), band + 1);
}

int SoundSheet::MaxNRBand() const
{
    int best = 0;
    double mx = 0;
    for (int i = 1; i <= kBands; ++i) {
        const auto nr = BandNR(i);
        if (nr && (best == 0 || *nr > mx)) {
            best = i;
            mx = *nr;
        }
    }
    return best;
}

std::string SoundSheet::BandCaption(int band)
{
    static const char* const kCaptions[kBands] = {"63 Hz", "125 Hz", "250 Hz", "500 Hz",
                                                  "1 kHz", "2 kHz",  "4 kHz",  "8 kHz"};
    return band >= 1 && band <= kBands ? kCaptions[band - 1] : std::string();
}

double SoundSheet::BandX(int band) { return Fix(31.25 * std::pow(2.0, band) + 0.5); }

double SoundSheet::CurveX(int bandId) { return 31.25 * std::pow(2.0, bandId - 1); }

std::string SoundSheet::FormatNR(double nr) { return FormatNumber(nr, "##0.0"); }

SoundTable SoundSheet::Table() const
{
    SoundTable t;
    const int cols = 2 + kBands;
    auto row = [cols]() { return std::vector<std::string>(cols); };
    if (!shown_.nrView) {
        t.fixedRows = 2;
        t.cells = {row(), row(), row()};
        for (int c = 1; c < cols; ++c) t.cells[0][c] = UnitText();
        t.cells[1][0] = Tr("Description");
        t.cells[1][1] = Tr("Sum");
        for (int i = 1; i <= kBands; ++i) t.cells[1][i + 1] = BandCaption(i);
        t.cells[2][0] = RowLabel();
        if (rec_) {
            t.cells[2][1] = rec_->ValueF(SumField());
            for (int i = 1; i <= kBands; ++i) t.cells[2][i + 1] = rec_->ValueF(BandField(i));
        }
        return t;
    }
    t.fixedRows = 1;
    t.cells = {row(), row()};
    t.cells[0][0] = Tr("Description");
    t.cells[0][1] = Tr("Max") + " ";
    for (int i = 1; i <= kBands; ++i) t.cells[0][i + 1] = BandCaption(i);
    t.cells[1][0] = RowLabel();
    std::optional<double> mx;
    for (int i = 1; i <= kBands; ++i) {
        const auto nr = BandNR(i);
        if (!nr) continue;
        t.cells[1][i + 1] = FormatNR(*nr);
        if (!mx || *nr > *mx) mx = nr;
    }
    if (mx) t.cells[1][1] = FormatNR(*mx);
    return t;
}

std::vector<SoundSeries> SoundSheet::Series() const
{
    std::vector<SoundSeries> out;
    if (shown_.nrView) {
        const CNoise noise;
        for (int s = 1; s <= 18; ++s) {
            SoundSeries c;
            c.isCurve = true;
            c.title = NumToText((19 - s) * 5 + 10);
            for (int b = 2; b <= 9; ++b) {
                const double x = CurveX(b);
                c.points.push_back({x, noise.GetNoiseNRSheet(19 - s, b), NumToText(Fix(x + 0.5))});
            }
            out.push_back(std::move(c));
        }
    }
    // The band levels themselves, also in the NR view: a reader finds a
    // band's rating by the curve its point touches, and the label names it.
    SoundSeries bands;
    bands.title = RowLabel();
    const int maxBand = shown_.nrView ? MaxNRBand() : 0;
    for (int i = 1; i <= kBands; ++i) {
        const auto level = BandLevel(i);
        if (!level) continue;
        std::string label = NumToText(BandX(i));
        if (shown_.nrView) {
            const auto nr = BandNR(i);
            label = nr ? FormatNR(*nr) : std::string();
        }
        if (i == maxBand) bands.highlight = static_cast<int>(bands.points.size());
        bands.points.push_back({BandX(i), *level, label});
    }
    out.push_back(std::move(bands));
    return out;
}

std::string SoundSheet::AxisTitleY() const { return RowLabel() + " " + UnitText(); }

std::string SoundSheet::TitleLine1() const
{
    return Tr(shown_.nrView ? "NR Noise Level" : "Noise Level") + "  -  " + (rec_ ? rec_->ValueF("O_FanName") : "");
}

std::string SoundSheet::TitleLine2() const
{
    return rec_ ? rec_->ValueF("I_Project") + " - " + rec_->ValueF("I_ClientName") : std::string(" - ");
}

}  // namespace aerolyx
