// Formula texts (accessory pressure drops come from the catalogue): compiled
// and evaluated, they end in an error with a position or in a value.
#include "FuzzSupport.h"
#include "expression/CExpression.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view in = fuzz::Bytes(data, size);
    // The last byte picks the variables' value and whether to scan for roots.
    const unsigned char knob = size ? data[size - 1] : 0;
    CExpression e;
    try {
        e.setExpression(in);
    } catch (const ExpressionError& err) {
        if (err.Number() != CExpression::ErrOutOfRange && err.Number() != CExpression::ErrOverflow) std::abort();
        if (e.Errorcode() == 0 || !e.Value().isEmpty()) std::abort();
        return 0;
    }
    if (e.Errorcode() != 0) {
        if (e.ErrorDescription().empty() || e.ErrorPos() < 1 || e.ErrorPos() > static_cast<int>(in.size()) + 1)
            std::abort();
        if (!e.Value().isEmpty() || !e.RPNExpression().empty()) std::abort();
        return 0;
    }
    if (e.RPNExpression().empty()) std::abort();
    const double x = (knob % 17) * 0.75 - 4.0;
    for (int k = 1; k <= e.VariablesCount(); ++k) e.Variable(k)->setValue(Variant(x));
    try {
        (void)e.Value();
    } catch (const ExpressionError&) {
    }
    try {
        (void)e.ValueOf(std::vector<Variant>{Variant(1.5), Variant("text"), Variant()});
    } catch (const ExpressionError&) {
    }
    if (e.VariablesCount() > 0 && knob % 5 == 0) {
        const Variant before = e.Variable(1)->Value();
        e.FindRoots(-2.0, 2.0, 0.25, "", 1e-9);
        if (!(e.Variable(1)->Value() == before)) std::abort();  // the scan puts the variable back
    }
    return 0;
}
