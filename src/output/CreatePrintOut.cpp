#include "output/CreatePrintOut.h"

#include <QAbstractTextDocumentLayout>
#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

#include "accessories/AccRoutines.h"
#include "common/Database.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "model/FieldEnv.h"
#include "output/TranslatorSwitch.h"

namespace aerolyx {

namespace {

constexpr int kMaxStoredLines = 501;
constexpr int kMaxFonts = 21;
constexpr int kMaxLevels = 20;
constexpr double kHeaderReplayY = 50.0;   // mm below the top margin
constexpr double kTwipMm = 25.4 / 1440.0;
constexpr double kThinLineMm = 0.1;

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Setting(const std::string& section, const std::string& key, const std::string& def)
{
    return Prog().Settings ? Prog().Settings->Get(section, key, def) : def;
}

std::string IniText(const std::string& key) { return Prog().Ini ? Prog().Ini->IniValue(key) : std::string(); }

// One prepared layout line.
struct Line {
    int number = 0;               // 1-based line in the file
    std::string keyword;          // upper-cased
    std::vector<std::string> args;
    bool bare = false;            // no space: a bare word
};

std::optional<Line> Prepare(const std::string& raw, int number)
{
    std::string text = raw;
    const auto comment = text.find("/*");
    if (comment != std::string::npos) text.erase(comment);
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    Line l;
    l.number = number;
    const auto sp = text.find(' ');
    if (sp == std::string::npos) {
        l.keyword = ToUpper(text);
        l.bare = true;
        return l;
    }
    l.keyword = ToUpper(text.substr(0, sp));
    l.args = Split(Trim(text.substr(sp + 1)), ';');
    return l;
}

struct FontDef {
    bool defined = false;
    QFont font;
    QColor color = Qt::black;
};

// Colour numbers are the Windows form &HBBGGRR, written as "&H..." or decimal.
QColor ColourOf(const std::string& text)
{
    const std::string t = Trim(text);
    long long v = 0;
    if (IStartsWith(t, "&H")) {
        std::string hex = t.substr(2);
        if (!hex.empty() && (hex.back() == '&')) hex.pop_back();
        v = std::strtoll(hex.c_str(), nullptr, 16);
    } else {
        v = static_cast<long long>(TextToNum(t));
    }
    if (v < 0) v = 0;
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

struct Note {
    int line;
    std::string text;    // English, translated when the result is made
    std::string detail;  // not translated
};

class Interpreter {
public:
    Interpreter(const CFanData& project, const PrintRequest& req, IPrintTarget& target, const PrintHooks& hooks,
                std::string layoutPath, std::string language, std::string dataFolder)
        : fd_(project), req_(req), target_(target), hooks_(hooks), path_(std::move(layoutPath)),
          language_(std::move(language)), folder_(std::move(dataFolder))
    {
    }

    bool Run(const std::vector<std::string>& rawLines);
    int Pages() const { return page_; }
    std::vector<Note> notes;
    std::string fatal;

private:
    // Header section
    void HeaderSection(const std::vector<Line>& lines, std::size_t& i);
    void Margin(const Line& l);
    void Font(const Line& l);
    // Body
    void Exec(const Line& l);
    void Draw(const Line& l);
    void If(const Line& l);
    void EndIf(const Line& l);
    void NewPage();
    void AccStart(const Line& l);
    void TextItem(const Line& l, const std::string& text, bool unitBox);
    void RtfFile(const Line& l);
    void ImageCmd(const Line& l);
    void LineCmd(const Line& l);

    bool Active() const { return overflow_ == 0 && stack_.back(); }
    void Skip(const Line& l, const std::string& text, const std::string& detail = {})
    {
        notes.push_back({l.number, text, detail});
    }
    bool Need(const Line& l, std::size_t n)
    {
        if (l.args.size() >= n) return true;
        Skip(l, "missing arguments, line skipped:", l.keyword);
        return false;
    }
    bool Num(const Line& l, std::size_t i, double& out)
    {
        const std::string a = Trim(l.args[i]);
        if (!IsNumeric(a)) {
            Skip(l, "not a number, line skipped:", l.args[i]);
            return false;
        }
        out = TextToNum(a);
        if (!std::isfinite(out) || std::fabs(out) > 1e5) {  // far beyond any paper
            Skip(l, "value out of range, line skipped:", l.args[i]);
            return false;
        }
        return true;
    }
    double X(double x) const { return setup_.marginsMm.left() + x; }
    double Y(double y) const { return setup_.marginsMm.top() + y + (accMode_ ? accShift_ : 0.0); }
    const FontDef* FontFor(const Line& l, const std::string& arg);

    // Values
    std::string FieldText(const std::string& name, const Line& l);
    std::string FieldRText(const std::string& name);
    std::string Display(const std::string& name) const { return fd_.ValueF(name); }
    std::string MotStep(int s) const;
    std::string DimValue(int k) const;
    std::string UnitName(const std::string& kind) const { return fieldenv::GetUnitCode(ToUpper(kind), true); }
    void LoadDerived();

    const CFanData& fd_;
    const PrintRequest& req_;
    IPrintTarget& target_;
    const PrintHooks& hooks_;
    std::string path_, language_, folder_;

    PageSetup setup_;
    std::array<FontDef, kMaxFonts + 1> fonts_{};
    std::map<int, bool> warnedFont_;
    std::vector<Line> header_, template_;
    bool headerTooLong_ = false;
    std::vector<bool> stack_{true};
    int overflow_ = 0;
    int page_ = 0;
    QPointF pos_{0, 0};  // current print position in mm from the margins (flowing text)
    bool began_ = false;
    bool recording_ = false;  // between HEADER_START and HEADER_END
    bool replaying_ = false;
    bool inTemplate_ = false;

    // Accessory blocks
    bool accMode_ = false;
    double accShift_ = 0.0;
    std::map<std::string, Variant, ILess> accRow_;
    std::string accCode_, accQty_, accDims_;

    // Derived once
    std::string cadName_, rtfName_, viewCharts_;
    std::vector<std::string> dimLabels_, dimIds_;
    std::map<std::string, Variant, ILess> sizeRow_;
    int motorFrame_ = 0;
};

bool Interpreter::Run(const std::vector<std::string>& rawLines)
{
    std::vector<Line> lines;
    for (std::size_t n = 0; n < rawLines.size(); ++n)
        if (auto l = Prepare(rawLines[n], static_cast<int>(n + 1))) lines.push_back(std::move(*l));

    setup_.paperMm = req_.paperMm;
    std::size_t i = 0;
    HeaderSection(lines, i);
    if (i >= lines.size()) {
        fatal = "the layout has no START line";
        return false;
    }
    ++i;  // START
    LoadDerived();
    QString err;
    if (!target_.Begin(setup_, &err)) {
        fatal = err.toStdString();
        return false;
    }
    began_ = true;
    page_ = 1;
    for (; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (recording_ && !(l.bare && l.keyword == "HEADER_END")) {
            if (static_cast<int>(header_.size()) < kMaxStoredLines) {
                header_.push_back(l);
            } else if (!headerTooLong_) {
                headerTooLong_ = true;
                Skip(l, "more than 501 page header lines; from here on they are not repeated on later pages");
            }
        }
        Exec(l);
    }
    if (stack_.size() > 1 || overflow_ > 0)
        notes.push_back({static_cast<int>(rawLines.size()), "IF without ENDIF at the end of the layout", {}});
    if (!target_.End(&err)) {
        fatal = err.toStdString();
        return false;
    }
    return true;
}

void Interpreter::HeaderSection(const std::vector<Line>& lines, std::size_t& i)
{
    for (; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.bare && l.keyword == "START") return;
        if (l.bare && l.keyword == "ACC_START") {
            std::size_t j = i + 1;
            bool warned = false;
            for (; j < lines.size() && !(lines[j].bare && lines[j].keyword == "ACC_END"); ++j) {
                if (static_cast<int>(template_.size()) < kMaxStoredLines) {
                    template_.push_back(lines[j]);
                } else if (!warned) {
                    warned = true;
                    Skip(lines[j], "more than 501 accessory template lines; the rest is ignored");
                }
            }
            if (j >= lines.size()) Skip(l, "ACC_START without ACC_END");
            i = j;
            continue;
        }
        if (l.keyword == "MARGIN") Margin(l);
        else if (l.keyword == "FONT") Font(l);
        else Skip(l, "unknown command, line skipped:", l.keyword);
    }
}

void Interpreter::Margin(const Line& l)
{
    if (!Need(l, 4)) return;
    double v[4];
    for (std::size_t k = 0; k < 4; ++k)
        if (!Num(l, k, v[k])) return;
    for (double m : v)
        if (m < 0 || m > std::min(setup_.paperMm.width(), setup_.paperMm.height()) / 2) {
            Skip(l, "value out of range, line skipped:", NumToText(m));
            return;
        }
    setup_.marginsMm = QMarginsF(v[0], v[1], v[2], v[3]);
}

void Interpreter::Font(const Line& l)
{
    if (!Need(l, 3)) return;
    double n = 0, size = 0;
    if (!Num(l, 0, n)) return;
    if (n < 1 || n > kMaxFonts || n != std::floor(n)) {
        Skip(l, "font number outside 1 to 21, line skipped:", Trim(l.args[0]));
        return;
    }
    if (!Num(l, 2, size)) return;
    if (size <= 0 || size > 500) {
        Skip(l, "value out of range, line skipped:", Trim(l.args[2]));
        return;
    }
    auto flag = [&](std::size_t k) { return l.args.size() > k && TextToNum(Trim(l.args[k])) != 0; };
    FontDef& f = fonts_[static_cast<std::size_t>(n)];
    f.defined = true;
    f.font = QFont(Q(Trim(l.args[1])));
    f.font.setPointSizeF(size);
    f.font.setBold(flag(3));
    f.font.setItalic(flag(4));
    f.font.setUnderline(flag(5));
    f.color = l.args.size() > 6 ? ColourOf(l.args[6]) : QColor(Qt::black);
}

const FontDef* Interpreter::FontFor(const Line& l, const std::string& arg)
{
    static const FontDef fallback = [] {
        FontDef f;
        f.defined = true;
        f.font = QFont("Arial");
        f.font.setPointSizeF(10);
        return f;
    }();
    const std::string a = Trim(arg);
    const double n = IsNumeric(a) ? TextToNum(a) : -1;
    if (n < 1 || n > kMaxFonts || n != std::floor(n)) {
        Skip(l, "font not defined; printed in the standard font:", arg);
        return &fallback;
    }
    const FontDef& f = fonts_[static_cast<std::size_t>(n)];
    if (f.defined) return &f;
    if (!warnedFont_[static_cast<int>(n)]) {
        warnedFont_[static_cast<int>(n)] = true;
        Skip(l, "font not defined; printed in the standard font:", a);
    }
    return &fallback;
}

void Interpreter::Exec(const Line& l)
{
    const std::string& k = l.keyword;
    if (l.bare) {
        if (k == "HEADER_START") {
            if (!replaying_ && !inTemplate_) recording_ = true;
        } else if (k == "HEADER_END") {
            recording_ = false;
        } else if (k == "ENDIF") {
            EndIf(l);
        } else if (k == "START" || k == "ACC_START" || k == "ACC_END") {
            // only meaningful in the header section
        } else if (k == "PAGE") {
            if (Active()) Draw(l);  // its argument means nothing, so it may be left out
        } else {
            Skip(l, "unknown command, line skipped:", k);
        }
        return;
    }
    if (k == "IF") return If(l);
    if (k == "NULLPOS") {
        if (!Need(l, 2)) return;
        double x = 0, y = 0;
        if (Num(l, 0, x) && Num(l, 1, y)) pos_ = QPointF(x, y + (accMode_ ? accShift_ : 0.0));
        return;
    }
    if (!Active()) return;
    Draw(l);
}

void Interpreter::Draw(const Line& l)
{
    const std::string& k = l.keyword;
    if (k == "PAGE") {
        if (replaying_) Skip(l, "not allowed here, line skipped:", k);
        else NewPage();
    } else if (k == "ACCSTART") {
        AccStart(l);
    } else if (k == "TEXT") {
        if (!Need(l, 5)) return;
        std::vector<std::string> rest(l.args.begin() + 4, l.args.end());
        TextItem(l, Join(rest, ";"), false);
    } else if (k == "FIELD") {
        if (!Need(l, 5)) return;
        TextItem(l, FieldText(l.args[4], l), false);
    } else if (k == "FIELDR") {
        if (!Need(l, 5)) return;
        if (!accMode_) {
            Skip(l, "not allowed here, line skipped:", k);
            return;
        }
        TextItem(l, FieldRText(Trim(l.args[4])), false);
    } else if (k == "UNIT") {
        if (!Need(l, 5)) return;
        std::string u = UnitName(Trim(l.args[4]));
        if (l.args.size() > 5 && Trim(l.args[5]) == "1") u = "[" + u + "]";
        TextItem(l, u, true);
    } else if (k == "RTFFILE") {
        RtfFile(l);
    } else if (k == "IMAGE") {
        ImageCmd(l);
    } else if (k == "LINE") {
        LineCmd(l);
    } else if (k == "MARGIN" || k == "FONT") {
        Skip(l, "not allowed here, line skipped:", k);
    } else {
        Skip(l, "unknown command, line skipped:", k);
    }
}

void Interpreter::If(const Line& l)
{
    if (overflow_ > 0 || static_cast<int>(stack_.size()) > kMaxLevels) {
        if (overflow_ == 0) Skip(l, "more than 20 nested conditions; the lines up to its ENDIF are skipped");
        ++overflow_;
        return;
    }
    bool value = false;
    if (!stack_.back()) {
        value = false;
    } else if (l.args.size() < 3) {
        Skip(l, "IF needs name;operator;value; the lines up to its ENDIF are skipped");
        value = false;
    } else {
        const std::string name = Trim(l.args[0]);
        const std::string op = Trim(l.args[1]);
        const std::string right = l.args[2];
        const std::string up = ToUpper(name);
        Variant left;
        if (up == "PAGE") left = Variant(page_);
        else if (up == "CAD") left = Variant(cadName_);
        else if (up == "DISCOUNT") left = Variant(Prog().Rebate);
        else {
            const CLpField* f = fd_.Item(name);
            if (!f) Skip(l, "unknown field:", name);  // compares as 0
            left = fd_.ValueI(name);
            // An empty text field is still text: "IF O_CType;<>;-" holds when it is empty.
            if (f && f->ValueType() == CLpField::vtText && left.isEmpty()) left = Variant(std::string());
        }
        int c = 0;
        if (left.isText()) {
            const std::string& a = left.textValue();
            c = a < right ? -1 : (a > right ? 1 : 0);
        } else {
            const double a = left.toDouble(), b = TextToNum(Trim(right));
            c = a < b ? -1 : (a > b ? 1 : 0);
        }
        if (op == "=") value = c == 0;
        else if (op == "<>") value = c != 0;
        else if (op == "<") value = c < 0;
        else if (op == ">") value = c > 0;
        else if (op == "<=" || op == "=<") value = c <= 0;
        else if (op == ">=" || op == "=>") value = c >= 0;
        else {
            Skip(l, "unknown operator, condition taken as true:", op);
            value = true;
        }
    }
    stack_.push_back(value);
}

void Interpreter::EndIf(const Line& l)
{
    if (overflow_ > 0) --overflow_;
    else if (stack_.size() > 1) stack_.pop_back();
    else Skip(l, "ENDIF without IF, line skipped");
}

void Interpreter::NewPage()
{
    target_.NewPage();
    ++page_;
    pos_ = QPointF(0, 0);
    if (header_.empty() || replaying_) return;
    // The page header: its own conditions, never shifted by accessory blocks.
    replaying_ = true;
    const std::vector<bool> stack = std::move(stack_);
    const int overflow = overflow_;
    const bool acc = accMode_;
    const bool rec = recording_;
    stack_ = {true};
    overflow_ = 0;
    accMode_ = false;
    recording_ = false;
    pos_ = QPointF(0, kHeaderReplayY);
    const QPointF start = pos_;
    for (const Line& l : header_) Exec(l);
    pos_ = start;
    stack_ = stack;
    overflow_ = overflow;
    accMode_ = acc;
    recording_ = rec;
    replaying_ = false;
}

void Interpreter::TextItem(const Line& l, const std::string& text, bool unitBox)
{
    double x = 0, y = 0;
    if (!Num(l, 0, x) || !Num(l, 1, y)) return;
    const FontDef* f = FontFor(l, l.args[2]);
    if (text.empty()) return;
    const QString t = Q(text);
    QSizeF size = MeasureTextMm(f->font, t);
    if (unitBox) size += QSizeF(6 * kTwipMm, 6 * kTwipMm);
    const std::string a = ToUpper(Trim(l.args[3]));
    double left = X(x);
    Qt::Alignment align = Qt::AlignLeft;
    if (a == "L") {
    } else if (a == "C") {
        left -= size.width() / 2;
        align = Qt::AlignHCenter;
    } else {
        left -= size.width();
        align = Qt::AlignRight;
    }
    target_.Text(QRectF(QPointF(left, Y(y)), size), t, f->font, f->color, align);
}

std::string Interpreter::MotStep(int s) const
{
    const std::string p = "O_S" + std::to_string(s) + "Mot";
    if (s > 1 && fd_.ValueI(p + "Pol").toDouble() == 0) return {};
    return Display(p + "Rpm") + " " + UnitName("UPM") + "  - " + Display(p + "Kw") + " " + UnitName("KW") + " - " +
           Display(p + "Amp") + " A";
}

std::string Interpreter::DimValue(int k) const
{
    if (k < 1 || k > static_cast<int>(dimIds_.size())) return {};
    const int d = static_cast<int>(TextToNum(Trim(dimIds_[static_cast<std::size_t>(k - 1)])));
    if (d == 0) return {};
    auto col = [&](const std::string& c) {
        auto it = sizeRow_.find(c);
        return it == sizeRow_.end() ? std::string() : it->second.toText();
    };
    const std::string value = col("FdD" + std::to_string(d));
    if (d < 10 || d > 12) return value;
    // Motor-dependent: one value per motor frame size of FdMot.
    const std::vector<std::string> values = Split(value, ',');
    const std::string frames = Trim(col("FdMot"));
    if (frames.empty()) return Trim(values.front());
    if (values.size() == 1) return Trim(values.front());
    const std::vector<std::string> list = Split(frames, ',');
    for (std::size_t p = 0; p < list.size(); ++p) {
        if (TextToNum(Trim(list[p])) >= motorFrame_)
            return p < values.size() ? Trim(values[p]) : std::string("?");
    }
    return "?";
}

std::string Interpreter::FieldText(const std::string& rawName, const Line& l)
{
    const std::string name = Trim(rawName);
    const std::string up = ToUpper(name);
    if (up == "SUPPLYTXT") return Display("I_Volt") + "V" + " /" + Display("I_Frq") + "Hz";
    if (up == "MOTSTEP1") return MotStep(1);
    if (up == "MOTSTEP2") return MotStep(2);
    if (up == "MOTSTEP3") return MotStep(3);
    if (up == "MOTPOLTXT") {
        std::string t = Display("O_S1MotPol");
        for (const char* f : {"O_S2MotPol", "O_S3MotPol"})
            if (fd_.ValueI(f).toDouble() != 0) t += " / " + Display(f);
        return t;
    }
    if (up == "VALUTA") return Prog().PriceCurrency;
    if (up == "PRICEID") return std::to_string(Prog().PriceList);
    if (up == "VERSION") return Prog().Version;
    if (up == "DISCOUNT") return FormatNumber(Prog().Rebate, "0.0");
    if (up == "ACQTA") return accMode_ ? accQty_ : std::string();
    if (up == "PAGE") return std::to_string(page_);
    if (up == "DATE") return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
    static const std::array<const char*, 6> my = {"MYNAME", "MYADDRESS", "MYCITY", "MYTEL", "MYFAX", "MYMAIL"};
    static const std::array<const char*, 6> keys = {"MyName", "MyAddress", "MyCity", "MyTel", "MyFax", "MyMail"};
    for (std::size_t i = 0; i < my.size(); ++i)
        if (up == my[i]) return Setting("Settings", keys[i], IniText(std::string("0000") + keys[i]));
    auto index = [&](std::size_t prefix) {
        const std::string n = up.substr(prefix);
        return !n.empty() && IsNumeric(n) ? static_cast<int>(TextToNum(n)) : -1;
    };
    if (StartsWith(up, "KDIM") && index(4) >= 0) {
        const int k = index(4);
        return k >= 1 && k <= static_cast<int>(dimLabels_.size()) ? Trim(dimLabels_[static_cast<std::size_t>(k - 1)])
                                                                   : std::string();
    }
    if (StartsWith(up, "VDIM") && index(4) >= 0) return DimValue(index(4));
    if (StartsWith(up, "ADIM") && index(4) >= 0) {
        if (!accMode_ || Trim(accDims_).empty()) return {};
        const std::vector<std::string> e = Split(accDims_, ';');
        const int k = index(4);
        return k >= 1 && k <= static_cast<int>(e.size()) ? e[static_cast<std::size_t>(k - 1)] : std::string();
    }
    if (StartsWith(up, "U:")) return UnitName(name.substr(2));
    if (up == "I_NOTES") return ReplaceAll(Display("I_Notes"), "<LF>", "\n");
    if (!fd_.Item(name)) {
        Skip(l, "unknown field:", name);
        return {};
    }
    return Display(name);
}

std::string Interpreter::FieldRText(const std::string& name)
{
    if (IEquals(name, "ADEURO")) {
        auto it = accRow_.find("AdEuro" + std::to_string(Prog().PriceList));
        const double list = it == accRow_.end() ? 0.0 : it->second.toDouble();
        return FormatNumber(AccNetPrice(list, Prog().Rebate), "#,##0.00");
    }
    auto it = accRow_.find(name);
    if (it == accRow_.end() || it->second.isEmpty()) return {};
    if (it->second.isText()) return it->second.textValue();
    const double v = it->second.toDouble();
    return v == 0 ? std::string() : FormatNumber(v, "#,##0.###");
}

void Interpreter::LoadDerived()
{
    const std::string ctype = fd_.ValueI("O_CType").toText();
    cadName_ = fd_.ValueI("O_Type").toText() + "_" + fd_.ValueI("I_AirDir").toText();
    if (!ctype.empty() && ctype != "-" && ctype != "--") cadName_ += "_" + ctype;
    rtfName_ = fd_.ValueI("O_Type").toText() + "_" + fd_.ValueI("I_Serie").toText() +
               (IEquals(req_.printType, "TEXTW") ? "_SV_" : "_") + language_ + ".rtf";
    viewCharts_ = !req_.viewCharts.empty() ? req_.viewCharts : Setting("FanC", "ViewCharts", "1010");
    motorFrame_ = static_cast<int>(TextToNum(fd_.ValueI("O_MotBgr").toText()));
    if (!Prog().DB) return;
    try {
        Recordset rs = Prog().DB->OpenParameterized("SELECT * FROM tblFanDims WHERE TdCode=? AND TpCode=?",
                                                    {fd_.ValueI("I_AirDir").toText(), fd_.ValueI("O_Type").toText()});
        if (!rs.Eof()) {
            dimLabels_ = Split(rs.GetText("TdDims"), ',');
            dimIds_ = Split(rs.GetText("TdIds"), ',');
        }
        const double fsId = fd_.ValueI("O_FsID").toDouble();
        Recordset fs = Prog().DB->OpenParameterized("SELECT * FROM tblFanData WHERE FsID=?", {fsId});
        if (!fs.Eof())
            for (int c = 0; c < fs.FieldCount(); ++c) sizeRow_[fs.FieldName(c)] = fs.Field(c);
    } catch (const DbError& e) {
        notes.push_back({0, "catalogue query failed:", e.what()});
    }
}

void Interpreter::AccStart(const Line& l)
{
    if (replaying_ || inTemplate_) {
        Skip(l, "not allowed here, line skipped:", l.keyword);
        return;
    }
    const std::string accLine = fd_.ValueI("O_AccLine").toText();
    if (Trim(accLine).empty()) return;
    if (!Need(l, 3)) return;
    double y0 = 0, h = 0, n = 0;
    if (!Num(l, 0, y0) || !Num(l, 1, h) || !Num(l, 2, n)) return;
    if (!Prog().DB) {
        Skip(l, "no fan catalogue connected; accessories skipped");
        return;
    }
    int perPage = static_cast<int>(n);
    if (perPage <= 0) {
        const double room = setup_.paperMm.height() - setup_.marginsMm.top() - setup_.marginsMm.bottom() - y0;
        perPage = h > 0 ? std::max(1, static_cast<int>(std::floor(room / h + 1e-9))) : 1;
    }
    const AccLine parsed = AccLine::Parse(accLine);
    NewPage();
    int counter = 0;
    for (std::size_t i = 0; i < parsed.ids.size(); ++i) {
        const std::string& id = parsed.ids[i];
        if (!IsNumeric(id)) {
            Skip(l, "accessory not in the catalogue, skipped:", id);
            continue;
        }
        Recordset rs;
        try {
            rs = Prog().DB->OpenRecordset(
                "SELECT tblAccData.*, tblAccTypes.ActDims, tblLngTrans.TrnText, tblLngTrans.TrnCode"
                " FROM (tblAccTypes INNER JOIN tblAccData ON tblAccTypes.ActCode = tblAccData.ActCode)"
                " INNER JOIN tblLngTrans ON tblAccTypes.ActCode = tblLngTrans.TrnCode"
                " Where tblAccData.AdID = " + NumToText(TextToNum(id)) + " AND LngID='" + SqlQuote(language_) + "'");
        } catch (const DbError& e) {
            Skip(l, "catalogue query failed:", id + ": " + e.what());
            continue;
        }
        if (rs.Eof()) {
            Skip(l, "accessory not in the catalogue, skipped:", id);
            continue;
        }
        accRow_.clear();
        for (int c = 0; c < rs.FieldCount(); ++c) accRow_[rs.FieldName(c)] = rs.Field(c);
        accCode_ = rs.GetText("ActCode");
        accDims_ = rs.GetText("ActDims");
        accQty_ = Trim(parsed.quantities[i]);
        if (counter == perPage) {
            NewPage();
            counter = 1;
        } else {
            ++counter;
        }
        accShift_ = y0 + (counter - 1) * h;
        accMode_ = true;
        inTemplate_ = true;
        // A template's own IFs stay inside its block.
        const std::size_t depth = stack_.size();
        const int overflow = overflow_;
        for (const Line& t : template_) Exec(t);
        stack_.resize(depth);
        overflow_ = overflow;
        inTemplate_ = false;
        accMode_ = false;
    }
    accRow_.clear();
    accCode_.clear();
    accQty_.clear();
    accDims_.clear();
}

void Interpreter::RtfFile(const Line& l)
{
    if (!Need(l, 5)) return;
    double x = 0, y = 0, w = 0, h = 0;
    if (!Num(l, 0, x) || !Num(l, 1, y) || !Num(l, 2, w) || !Num(l, 3, h)) return;
    std::string file = Trim(l.args[4]);
    const std::string rtf = accMode_ ? accCode_ + "_" + language_ + ".rtf" : rtfName_;
    file = IReplaceAll(file, "?RTF", rtf);
    const std::string path = JoinPath(JoinPath(folder_, "TXT"), file);
    if (!FileExists(path)) {
        Skip(l, "RTF text not found:", path);
        return;
    }
    if (!hooks_.rtf) {
        Skip(l, "RTF text cannot be read:", path + ": no RTF reader");
        return;
    }
    QString err;
    std::unique_ptr<QTextDocument> doc = hooks_.rtf(Q(path), &err);
    if (!doc) {
        Skip(l, "RTF text cannot be read:", path + (err.isEmpty() ? "" : ": " + err.toStdString()));
        return;
    }
    doc->documentLayout()->setPaintDevice(ReferenceDevice());
    doc->setDocumentMargin(0);
    if (w != 0) {
        doc->setTextWidth(w * kRefPerMm);
        target_.Rich(QRectF(X(x), Y(y), w, h), *doc, 0.0);
        return;
    }
    // Flowing text: from (x, y) to the right and bottom margins, page after page.
    pos_ = QPointF(x, y + (accMode_ ? accShift_ : 0.0));
    // Later pages keep the column: same x, same width.
    const double flowX = pos_.x();
    const double width = setup_.paperMm.width() - setup_.marginsMm.left() - setup_.marginsMm.right() - flowX;
    if (width <= 1) {
        Skip(l, "value out of range, line skipped:", NumToText(x));
        return;
    }
    doc->setTextWidth(width * kRefPerMm);
    // Line bottoms, so that pages break between lines.
    std::vector<double> bottoms;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QRectF br = doc->documentLayout()->blockBoundingRect(b);
        QTextLayout* lay = b.layout();
        for (int i = 0; lay && i < lay->lineCount(); ++i) {
            const QTextLine tl = lay->lineAt(i);
            bottoms.push_back(br.top() + tl.y() + tl.height());
        }
    }
    const double total = doc->size().height();
    if (bottoms.empty()) return;  // nothing to set
    double from = 0.0;
    const double bottomMm = setup_.paperMm.height() - setup_.marginsMm.bottom();
    for (int guard = 0; from < total - 0.5 && guard < 1000; ++guard) {
        const double top = setup_.marginsMm.top() + pos_.y();
        const double room = (bottomMm - top) * kRefPerMm;
        double to = from;
        for (double b : bottoms)
            if (b > from && b - from <= room) to = b;
        if (to <= from) {
            if (room >= (bottomMm - setup_.marginsMm.top()) * kRefPerMm * 0.5 || page_ > 1000) {
                to = std::min(total, from + room);  // one line taller than a page: cut it
            } else {
                NewPage();
                continue;
            }
        }
        if (to >= bottoms.back() - 0.5) to = total;
        const double drawnMm = (to - from) / kRefPerMm;
        target_.Rich(QRectF(X(flowX), top, width, drawnMm), *doc, from);
        from = to;
        if (from < total - 0.5) NewPage();
        else pos_.setY(pos_.y() + drawnMm);
    }
}

void Interpreter::ImageCmd(const Line& l)
{
    if (!Need(l, 5)) return;
    double x = 0, y = 0, w = 0, h = 0;
    if (!Num(l, 0, x) || !Num(l, 1, y) || !Num(l, 2, w) || !Num(l, 3, h)) return;
    if (w <= 0 || h <= 0) {
        Skip(l, "value out of range, line skipped:", NumToText(w) + ";" + NumToText(h));
        return;
    }
    const QRectF box(X(x), Y(y), w, h);
    std::string name = Trim(l.args[4]);
    if (IStartsWith(name, "CURVE")) {
        const std::string rest = name.substr(5);
        const int chart = !rest.empty() && rest[0] >= '1' && rest[0] <= '9' ? rest[0] - '0' : 1;
        if (!hooks_.chart) {
            Skip(l, "no chart available; chart skipped:", name);
            return;
        }
        target_.Vector(box, [this, chart](QPainter& p, const QRectF& r) { hooks_.chart(p, r, fd_, chart, viewCharts_); });
        return;
    }
    name = IReplaceAll(name, "?CAD", accMode_ ? accCode_ : cadName_);
    name = IReplaceAll(name, "MYLOGO", Setting("Settings", "MyLogo", IniText("0000MyLogo")));
    const std::string path = JoinPath(JoinPath(folder_, "CAD"), name);
    const std::string lower = ToLower(name);
    const bool tiff = EndsWith(lower, ".tif") || EndsWith(lower, ".tiff");
    const PictureLoader& loader = tiff && hooks_.tiffPicture ? hooks_.tiffPicture : hooks_.picture;
    QImage img;
    const QString msg = loader ? loader(Q(path), img) : LoadPlatformPicture(Q(path), img);
    if (!msg.isEmpty() || img.isNull()) {
        Skip(l, "picture cannot be loaded:", path + (msg.isEmpty() ? "" : ": " + msg.toStdString()));
        return;
    }
    target_.Image(box, img);
}

void Interpreter::LineCmd(const Line& l)
{
    if (!Need(l, 4)) return;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, w = 0;
    if (!Num(l, 0, x1) || !Num(l, 1, y1) || !Num(l, 2, x2) || !Num(l, 3, y2)) return;
    if (l.args.size() > 4 && !Trim(l.args[4]).empty() && !Num(l, 4, w)) return;
    const double mm = w > 0 ? w * kTwipMm : kThinLineMm;
    target_.Line(QPointF(X(x1), Y(y1)), QPointF(X(x2), Y(y2)), mm);
}

std::string Translated(const std::string& english) { return fieldenv::Translate(english); }

}  // namespace

std::string LayoutNotFoundMessage(const std::string& path)
{
    return Translated("Printlayout") + " " + path + " " + Translated("not found");
}

std::string ChooseLayoutFile(const CFanData& project, const std::string& printType, const std::string& language,
                             const std::string& dataFolder, std::string* triedPath)
{
    std::string base;
    if (IEquals(printType, "FAN"))
        base = project.ValueI("O_S2MotPol").toDouble() != 0 ? "TDAXIAL2_" : "TDAXIAL_";
    else
        base = "TXAXIAL_";
    const std::string own = JoinPath(dataFolder, base + ToUpper(language) + ".txt");
    if (FileExists(own)) return own;
    const std::string en = JoinPath(dataFolder, base + "EN.txt");
    if (triedPath) *triedPath = en;
    return FileExists(en) ? en : std::string();
}

PrintResult CreatePrintOut(const CFanData& project, const PrintRequest& request, IPrintTarget& target,
                           const PrintHooks& hooks)
{
    PrintResult res;
    const std::string folder = request.dataFolder.empty() ? Prog().AppPath : request.dataFolder;
    std::string language = ToUpper(request.language.empty() ? fieldenv::Language() : request.language);
    std::string tried;
    res.layoutPath = ChooseLayoutFile(project, request.printType, language, folder, &tried);
    if (res.layoutPath.empty()) {
        res.error = LayoutNotFoundMessage(tried);
        return res;
    }
    std::string text, err;
    if (!ReadTextFile(res.layoutPath, text, &err)) {
        res.error = LayoutNotFoundMessage(res.layoutPath) + (err.empty() ? "" : " (" + err + ")");
        return res;
    }
    const std::vector<std::string> lines = Split(ReplaceAll(text, "\r\n", "\n"), '\n');

    std::vector<Note> notes;
    std::string badLanguage;
    std::string fatal;
    {
        TranslatorSwitch sw(language, &badLanguage);
        Interpreter in(project, request, target, hooks, res.layoutPath, language, folder);
        res.printed = in.Run(lines);
        res.pages = in.Pages();
        notes = std::move(in.notes);
        fatal = in.fatal;
    }
    const std::string file = QFileInfo(Q(res.layoutPath)).fileName().toStdString();
    if (!badLanguage.empty())
        res.skipped.push_back(file + ": " + Translated("the print language cannot be loaded:") + " " + badLanguage);
    for (const Note& n : notes) {
        std::string m = file + (n.line > 0 ? "(" + std::to_string(n.line) + ")" : std::string()) + ": " + Translated(n.text);
        if (!n.detail.empty()) m += " " + n.detail;
        res.skipped.push_back(m);
    }
    if (!res.printed) res.error = res.layoutPath + ": " + Translated(fatal);
    return res;
}

PrintResult WritePrintPdf(const CFanData& project, const PrintRequest& request, const std::string& pdfPath,
                          const PrintHooks& hooks)
{
    QSaveFile out(Q(pdfPath));
    if (!out.open(QIODevice::WriteOnly)) {
        PrintResult r;
        r.error = Translated("cannot write") + " " + pdfPath + ": " + out.errorString().toStdString();
        return r;
    }
    PrintResult r;
    {
        QPdfWriter writer(&out);
        writer.setResolution(static_cast<int>(kRefDpi));
        writer.setCreator(QStringLiteral("Aerolyx"));
        writer.setTitle(Q(project.ValueF("O_FanName")));
        PainterTarget target(writer);
        r = CreatePrintOut(project, request, target, hooks);
    }
    if (!r.printed) {
        out.cancelWriting();
        return r;
    }
    if (!out.commit()) {
        r.printed = false;
        r.error = Translated("cannot write") + " " + pdfPath + ": " + out.errorString().toStdString();
    }
    return r;
}

}  // namespace aerolyx
