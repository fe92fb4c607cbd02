#pragma once
// The user's choice of display unit per unit kind, conversion between the
// normal (stored) unit and every unit of a kind with its rounding, and the
// number format of each unit. One program-wide instance lives in Prog().Units.
#include <array>
#include <string>

#include "common/Variant.h"

namespace aerolyx {

class ISettingsStore;
class CMollier;

class CUnit {
public:
    // Kind codes in the order of the state.
    static constexpr int KindCount = 12;
    static const std::array<const char*, KindCount>& Kinds();

    // Stored form used when Settings/Measurements is absent.
    static const char* DefaultCodes();

    // store: where LoadCodes("")/SaveCodes(true) read and write
    // Settings/Measurements; null means Prog().Settings at the time of the
    // call (and nothing is read or written when that is null too).
    explicit CUnit(ISettingsStore* store = nullptr);

    void setSettingsStore(ISettingsStore* store) { store_ = store; }
    // The moist-air functions used by the humidity units; null means
    // Prog().Mollier, else a private instance.
    void setMollier(const CMollier* mollier) { mollier_ = mollier; }

    // Units of the kind joined by "|"; an unlisted kind returns the kind
    // itself. Names are the untranslated codes: whoever shows them translates.
    std::string GetUnitCodes(const std::string& kind) const;
    // The chosen unit of the kind; empty for an unlisted kind.
    std::string GetUnitCode(const std::string& kind) const;
    // Stores the choice; an unlisted kind is ignored.
    void SetUnitCode(const std::string& kind, const std::string& unit);

    // Number format of the unit; `unit` empty means the chosen unit and is
    // then set to it. Empty for an unlisted kind.
    std::string FormatF(const std::string& kind, std::string& unit) const;
    std::string FormatF(const std::string& kind) const;

    // From `unit` (empty = the chosen unit) into the normal unit, rounded.
    // t is the dry-bulb temperature in degC (humidity units only).
    // An empty value or kind comes back unchanged.
    Variant Normalizze(const std::string& kind, const Variant& value, double t = 20.0,
                       const std::string& unit = {}) const;
    // From the normal unit into `unit` (empty = the chosen unit), rounded.
    Variant NormalToUnit(const std::string& kind, const Variant& value, double t = 20.0,
                         const std::string& unit = {}) const;
    // Normalizze from sourceUnit, then NormalToUnit into targetUnit; the
    // value unchanged when it or the target unit is empty.
    Variant ChangeUnit(const std::string& kind, const std::string& targetUnit, const Variant& value,
                       double t, const std::string& sourceUnit) const;

    // Applies a stored form ("T;°C|VL;m3/h|..."); empty text reads
    // Settings/Measurements (default DefaultCodes()). Pairs for other kinds
    // are ignored; kinds not named keep their choice.
    void LoadCodes(const std::string& text = {});
    // The stored form of the current choice; written to
    // Settings/Measurements when `write` is true.
    std::string SaveCodes(bool write);

    // True when the upper-cased text is one of the twelve kinds.
    static bool TestUnit(const std::string& text);

private:
    int KindIndex(const std::string& kind) const;
    // Kind index and upper-case unit of a conversion; false, with the
    // result in `passed`, when the value goes through unconverted.
    bool Resolve(const std::string& kind, const Variant& value, const std::string& unit, int& i,
                 std::string& upperUnit, Variant& passed) const;
    ISettingsStore* Store() const;
    const CMollier& Mollier() const;

    std::array<std::string, KindCount> chosen_;
    ISettingsStore* store_ = nullptr;
    const CMollier* mollier_ = nullptr;
};

}  // namespace aerolyx
