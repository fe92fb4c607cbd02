#pragma once
// The catalogue statements of the selection: the search, the pole data, the
// motor, the data sheet's lookups and the combination prices. Each returns
// the SQL text; text arguments are quoted here, never by the caller.
#include <string>

namespace aerolyx::sql {

// Offerable sizes of a series, ascending; type, casing ("-" or "" = any) and
// size (0 = any) narrow it.
std::string SelectFans(const std::string& series, const std::string& type, const std::string& casing,
                       double size);
// The pole numbers of a pole combination (tblEEPolz) and the speed of a pole
// number (tblEEPolB).
std::string PoleCombination(double polId);
std::string PoleSpeed(double poles);

// The smallest motor of at least minPower kW of the maker for frequency,
// voltage, mounting form and pole combination; maxFrame > 0 also caps the
// frame size.
struct MotorDemand {
    double minPower = 0, maker = 0, frequency = 0, voltage = 0;
    std::string form;
    double poleKey = 0, maxFrame = 0;
};
std::string Motor(const MotorDemand& d);
// The same motors of every power, smallest first (minPower is not used):
// the rows the first statement picks from, the same for every duty.
std::string MotorRange(const MotorDemand& d);

// Data-sheet lookups by key.
std::string SeriesSuffix(const std::string& series);
std::string Insulation(double id);
std::string Protection(double id);
std::string Maker(double id);
std::string Voltage(double id);

// Combination price of a fan without list price (priceList 1 or 2): by type,
// series, size, the motor step(s) and casing ("" = none); pole2 0 = single speed.
struct PriceKey {
    int priceList = 1;
    std::string type, series, casing;
    double size = 0, pole1 = 0, kw1 = 0, pole2 = 0, kw2 = 0;
};
std::string CombinationPrice(const PriceKey& k);
// Surcharge for the blade count of such a fan.
std::string BladeSurcharge(const PriceKey& k, double blades);

}  // namespace aerolyx::sql
