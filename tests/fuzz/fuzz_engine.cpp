// The fan engine's command interface with any codes and parameter strings,
// on a small in-memory catalogue that the input may extend with curve points,
// sizes and noise rows of its own. Every reply is "OK:..." or "ERROR: ...".
//   <code> <params>          a command (code as a number, params to the end)
//   P fsid;pole;angle;flow;pressure;power;eta;sound      a curve point
//   S fsid;size;minV;maxV;minP;maxP;gridStep;vartdPmin   a size row
//   N fsid;pole;L1;...;L8                                a noise row
#include <vector>

#include "FuzzSupport.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineTestKit.h"

using namespace aerolyx;

namespace {

const test::FakeCatalogue& BaseCatalogue()
{
    static const test::FakeCatalogue db = [] {
        test::FakeCatalogue c;
        test::FakeCatalogue::Size s;
        s.FsID = 1;
        test::AddFan(c, s, {10, 15, 20, 25, 30});
        c.AddNoise(1, 4, {-8, -4, -2, -3, -5, -9, -14, -20});
        s.FsID = 2;
        s.FsSizeI = 400;
        test::AddFan(c, s, {20, 30}, 2, 3);
        return c;
    }();
    return db;
}

double Num(const std::vector<std::string>& f, std::size_t i) { return i < f.size() ? TextToNum(f[i]) : 0.0; }
int Int(const std::vector<std::string>& f, std::size_t i)
{
    const double v = Num(f, i);
    return v > -1e9 && v < 1e9 ? static_cast<int>(v) : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::FakeCatalogue db = BaseCatalogue();
    DORozEvIdad engine(db);
    int commands = 0;
    fuzz::ForEachLine(fuzz::Bytes(data, size), [&](std::string_view line) {
        if (++commands > 64 || line.empty()) return;
        const std::string rest(line.substr(line.size() > 1 ? 2 : 1));
        const std::vector<std::string> f = Split(rest, ';');
        switch (line[0]) {
        case 'P':
            db.AddPoint(Int(f, 0), {Int(f, 1), Int(f, 2), Num(f, 3), Num(f, 4), Num(f, 5), Num(f, 6), Num(f, 7)});
            return;
        case 'S': {
            test::FakeCatalogue::Size s;
            s.FsID = Int(f, 0);
            s.FsSizeI = Num(f, 1), s.FsMinVa = Num(f, 2), s.FsMaxVa = Num(f, 3), s.FsMinPa = Num(f, 4);
            s.FsMaxPa = Num(f, 5), s.FsGrdStp = Int(f, 6), s.VartdPmin = Num(f, 7);
            db.AddSize(s);
            return;
        }
        case 'N': {
            std::array<double, 8> nd{};
            for (std::size_t i = 0; i < 8; ++i) nd[i] = Num(f, i + 2);
            db.AddNoise(Int(f, 0), Int(f, 1), nd);
            return;
        }
        default: break;
        }
        std::size_t used = 0;
        const double code = TextToNum(line, &used);
        const std::string params(line.substr(used < line.size() ? used + 1 : line.size()));
        const std::string reply = engine.Execute(code > -1e9 && code < 1e9 ? static_cast<int>(code) : -1, params);
        if (!StartsWith(reply, "OK:") && !StartsWith(reply, "ERROR: ")) std::abort();
        db.log.clear();
    });
    return 0;
}
