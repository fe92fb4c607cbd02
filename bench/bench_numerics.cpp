#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "expression/CExpression.h"
#include "engine/CFormula.h"
#include "engine/Numerics.h"

using namespace aerolyx;

namespace {

// 30 points of a measured-looking fan pressure curve over flow in m3/h.
void FanPoints(std::vector<double>& x, std::vector<double>& y)
{
    x.resize(30);
    y.resize(30);
    for (int i = 0; i < 30; ++i) {
        x[i] = 1500.0 + 250.0 * i;
        y[i] = 1400.0 - 0.03 * x[i] - 1.2e-5 * x[i] * x[i] + (i % 3 - 1) * 0.7;
    }
}

void BM_NaturalSplineSetupAnd1000Evaluations(benchmark::State& state)
{
    std::vector<double> x, y, m(30);
    std::vector<std::int16_t> p(30);
    FanPoints(x, y);
    for (auto _ : state) {
        CSCOEF(30, x, y, m, p);
        double sum = 0.0;
        for (int k = 0; k < 1000; ++k) {
            double v;
            CSFIT1(30, x, y, m, p, 1500.0 + k * 7.25, v);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_NaturalSplineSetupAnd1000Evaluations);

// New abscissas on every fit: the fitter's factorisation cache never helps.
void BM_Type5FitOf30PointsWithResampling(benchmark::State& state)
{
    std::vector<double> x, y;
    FanPoints(x, y);
    std::vector<std::vector<double>> xs;
    for (int v = 0; v < 64; ++v) {  // more than the fitter keeps
        xs.push_back(x);
        for (double& e : xs.back()) e *= 1.0 + v * 1e-6;
    }
    CFormula f;
    std::size_t i = 0;
    for (auto _ : state) {
        f.ForSetData(30, xs[i].data(), y.data());
        benchmark::DoNotOptimize(f.ForInitData(5));
        benchmark::DoNotOptimize(f.ForGetPoint(4321.0));
        f.ForFreeData();
        i = (i + 1) % xs.size();
    }
}
BENCHMARK(BM_Type5FitOf30PointsWithResampling);

// Another column over the same flows, as when a curve's efficiency and power
// follow its pressure.
void BM_Type5FitOf30PointsSameFlows(benchmark::State& state)
{
    std::vector<double> x, y;
    FanPoints(x, y);
    CFormula f;
    for (auto _ : state) {
        f.ForSetData(30, x.data(), y.data());
        benchmark::DoNotOptimize(f.ForInitData(5));
        benchmark::DoNotOptimize(f.ForGetPoint(4321.0));
        f.ForFreeData();
    }
}
BENCHMARK(BM_Type5FitOf30PointsSameFlows);

void BM_CompileAndEvaluateAccessoryFormula(benchmark::State& state)
{
    // The velocity is substituted into the stored formula before compiling.
    const std::string stored = "IIF([C]>10, 1.2*0.6*[C]^2, 0.9*0.6*[C]^2)";
    char velocity[32];
    std::snprintf(velocity, sizeof velocity, "%.4f", 12.3456);
    std::string text = stored;
    for (std::size_t at; (at = text.find("[C]")) != std::string::npos;) text.replace(at, 3, velocity);
    CExpression e;
    for (auto _ : state) {
        e.setExpression(text);
        double dp = 0.0;
        if (e.Errorcode() == 0) dp = e.Value().toDouble();
        benchmark::DoNotOptimize(dp);
    }
}
BENCHMARK(BM_CompileAndEvaluateAccessoryFormula);

}  // namespace

BENCHMARK_MAIN();
