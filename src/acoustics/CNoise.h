#pragma once
// Acoustic routines: octave band of a frequency, noise-rating (NR) values
// against the standard NR curves, NR curve levels for drawing, the
// power-to-pressure level difference at a distance, and level sums.
// Octave band ids 1..9 are 31.5 Hz .. 8 kHz. Levels in dB.
#include <cstdint>
#include <span>

namespace aerolyx {

class CNoise {
public:
    static constexpr int CurveCount = 27;   // NR 0, 5, ... 130

    static std::int16_t GetFrequencyID(double f);

    // NR value of one band level, two decimals: NR_k x level / L_k for the
    // first curve k above the level (a level above NR 130 against the top
    // curve). `band` is a band id when it is 9 or less, otherwise a
    // frequency in Hz.
    double GetNoiseNR(double level, double band) const;

    // NR value (one decimal) of the nine band levels of band ids 1..9 into
    // `nr`, and their maximum into `maxNR`. With lowerBound 1 the arrays are
    // indexed 1..9 (element 0 unused), otherwise 0..8. Returns false and
    // changes nothing when an array is too short.
    bool GetNoiseNRBand(std::span<const double> levels, std::span<double> nr, double& maxNR,
                        int lowerBound = 0) const;

    // Level of drawable curve 1..18 (NR 15, 20, ... 100) at `band` (as in
    // GetNoiseNR), unrounded; 0 for another curve number.
    double GetNoiseNRSheet(int curve, double band) const;

    // 10 lg(2 pi r^2) with the sheets' pi (3.14), one decimal (cut after adding 0.02).
    double GetDistanceValue(double r) const;
    // Energetic sum of two levels, one decimal.
    double LogAdd(double a, double b) const;
    // A-weighted overall level of the octave-band levels 63 Hz .. 8 kHz
    // (positions 0..7; a shorter array sums what it holds), one decimal.
    double LogSumEx(std::span<const double> levels) const;
    double LogSum(std::span<const double> levels) const;

    // A-weighting of octave band 1..8 (63 Hz .. 8 kHz); 0 outside.
    static double AWeighting(int band);

    // Level of NR curve k (1..27) at band id b (1..9); 0 outside.
    static double CurveLevel(int k, int b);
};

}  // namespace aerolyx
