#include "output/RtfReader.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <algorithm>
#include <array>
#include <vector>

namespace aerolyx {

namespace {

// 0x80..0x9F of Windows-1252; the rest of the page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

enum class Dest { Text, Skip, FontTable, ColorTable };

struct GroupState {
    Dest dest = Dest::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;
    int font = -1;
    int color = 0;
    int uc = 1;
    Qt::Alignment align = Qt::AlignLeft;
    int leftTw = 0;
    int rightTw = 0;
    int firstTw = 0;
    int beforeTw = 0;
    int afterTw = 0;
};

bool IsSkippedDestination(const QByteArray& w)
{
    static const QByteArrayList kSkipped = {
        "info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf", "footer",
        "footerl", "footerr", "footerf", "footnote", "fldinst", "object", "objdata", "themedata",
        "colorschememapping", "latentstyles", "datastore", "listtable", "listoverridetable",
        "rsidtbl", "generator", "xmlnstbl", "revtbl", "filetbl", "pgdsctbl", "nonshppict", "shp",
        "shpinst", "bkmkstart", "bkmkend", "falt", "panose", "annotation", "atnid", "atnauthor",
        "template", "comment", "title", "author", "operator", "company", "doccomm", "keywords",
        "subject", "userprops", "mmathPr", "background", "txe", "fldtype", "listtext",
        "pntext", "pntxta", "pntxtb", "xe", "tc"};
    return kSkipped.contains(w);
}

class Parser {
public:
    explicit Parser(const QByteArray& data) : data_(data) {}

    std::unique_ptr<QTextDocument> Run(QString* error);

private:
    // Input
    const QByteArray& data_;
    qsizetype pos_ = 0;

    // Output
    std::unique_ptr<QTextDocument> doc_;
    QTextCursor cursor_;
    QString pending_;
    bool blockTouched_ = false;

    // Groups
    std::vector<GroupState> stack_;
    int overflow_ = 0;  // groups opened beyond kRtfMaxDepth
    bool overflowNoted_ = false;
    int skipChars_ = 0;  // characters still to drop after \uN

    // Tables
    QHash<int, QString> fonts_;
    int deff_ = -1;
    int tableFont_ = -1;
    QString tableFontName_;
    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    // Code page of \'hh and raw 8-bit bytes
    int codePage_ = 1252;
    QStringDecoder decoder_;

    QStringList notes_;

    GroupState& Top() { return stack_.back(); }
    void Flush();
    void ApplyBlockFormat();
    QTextCharFormat CharFormat() const;
    void EmitChar(QChar c);
    void EmitByte(unsigned char b);
    void OpenGroup();
    void CloseGroup();
    void ControlWord(const QByteArray& word, bool hasParam, int param);
    void ControlSymbol(char c);
    void CommitFontName();
    void CommitColor();
    void Paragraph();
};

QTextCharFormat Parser::CharFormat() const
{
    const GroupState& s = stack_.back();
    QTextCharFormat f;
    const int fontNo = s.font >= 0 ? s.font : deff_;
    const auto it = fonts_.constFind(fontNo);
    if (it != fonts_.constEnd() && !it->isEmpty()) f.setFontFamilies({*it});
    f.setFontPointSize(std::clamp(s.halfPoints, 2, 3276) / 2.0);
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline);
    if (s.color > 0 && s.color < static_cast<int>(colors_.size()) && colors_[s.color].isValid())
        f.setForeground(colors_[s.color]);
    return f;
}

void Parser::ApplyBlockFormat()
{
    const GroupState& s = stack_.back();
    QTextBlockFormat b;
    b.setAlignment(s.align);
    // twips to the document's pixels (96 per inch)
    b.setLeftMargin(std::max(0, s.leftTw) / 15.0);
    b.setRightMargin(std::max(0, s.rightTw) / 15.0);
    b.setTextIndent(s.firstTw / 15.0);
    b.setTopMargin(std::max(0, s.beforeTw) / 15.0);
    b.setBottomMargin(std::max(0, s.afterTw) / 15.0);
    cursor_.setBlockFormat(b);
}

void Parser::Flush()
{
    if (pending_.isEmpty()) return;
    if (!blockTouched_) {
        ApplyBlockFormat();
        blockTouched_ = true;
    }
    cursor_.insertText(pending_, CharFormat());
    pending_.clear();
}

void Parser::Paragraph()
{
    Flush();
    if (!blockTouched_) ApplyBlockFormat();
    cursor_.insertBlock();
    blockTouched_ = false;
}

void Parser::CommitFontName()
{
    QString name = tableFontName_.trimmed();
    if (tableFont_ >= 0 && !name.isEmpty() && !fonts_.contains(tableFont_)) fonts_.insert(tableFont_, name);
    tableFontName_.clear();
}

void Parser::CommitColor()
{
    colors_.push_back(colorSet_ ? QColor(red_ & 255, green_ & 255, blue_ & 255) : QColor());
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
}

void Parser::EmitChar(QChar c)
{
    if (skipChars_ > 0) {
        --skipChars_;
        return;
    }
    switch (Top().dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        if (c == u';') CommitFontName();
        else tableFontName_ += c;
        return;
    case Dest::ColorTable:
        if (c == u';') CommitColor();
        return;
    case Dest::Text:
        pending_ += c;
        return;
    }
}

void Parser::EmitByte(unsigned char b)
{
    if (b < 0x80) {
        EmitChar(QChar(b));
        return;
    }
    if (codePage_ == 1252 || !decoder_.isValid()) {
        EmitChar(b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
        return;
    }
    const char byte = static_cast<char>(b);
    const QString s = decoder_.decode(QByteArrayView(&byte, 1));
    if (skipChars_ > 0 && s.isEmpty()) {
        // a lead byte: it still counts as one skipped character
        --skipChars_;
        return;
    }
    for (QChar c : s) EmitChar(c);
}

void Parser::OpenGroup()
{
    Flush();
    skipChars_ = 0;
    if (static_cast<int>(stack_.size()) > kRtfMaxDepth) {
        ++overflow_;
        if (!overflowNoted_) {
            notes_ << QStringLiteral("groups nested deeper than %1 levels; deeper formatting is ignored")
                          .arg(kRtfMaxDepth);
            overflowNoted_ = true;
        }
        return;
    }
    stack_.push_back(stack_.back());
}

void Parser::CloseGroup()
{
    Flush();
    skipChars_ = 0;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    if (Top().dest == Dest::FontTable && !tableFontName_.trimmed().isEmpty()) CommitFontName();
    const Qt::Alignment align = Top().align;
    stack_.pop_back();
    // paragraph properties closed inside a group still belong to the open block
    if (!stack_.empty() && blockTouched_ && align != Top().align) ApplyBlockFormat();
}

void Parser::ControlSymbol(char c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}':
        EmitChar(QChar(c));
        break;
    case '~':
        EmitChar(QChar(0x00A0));
        break;
    case '_':
        EmitChar(QChar(0x2011));
        break;
    case '-':  // optional hyphen
        if (skipChars_ > 0) --skipChars_;
        break;
    case '*':
        Top().dest = Dest::Skip;
        break;
    case '\r':
    case '\n':
        if (skipChars_ > 0) --skipChars_;
        else if (Top().dest == Dest::Text) Paragraph();
        break;
    case '\t':
        EmitChar(QChar(u'\t'));
        break;
    default:
        if (skipChars_ > 0) --skipChars_;
        break;
    }
}

void Parser::ControlWord(const QByteArray& w, bool hasParam, int param)
{
    if (w == "u") {
        int n = param;
        if (n < 0) n += 65536;
        skipChars_ = 0;
        if (n >= 0 && n <= 0xFFFF) EmitChar(QChar(static_cast<char16_t>(n)));
        // the fallback characters that follow stand for the same character
        skipChars_ = std::max(0, Top().uc);
        return;
    }
    if (skipChars_ > 0) {
        --skipChars_;
        return;
    }
    GroupState& s = Top();
    const bool on = !hasParam || param != 0;

    // Destinations
    if (w == "fonttbl") {
        s.dest = Dest::FontTable;
        return;
    }
    if (w == "colortbl") {
        s.dest = Dest::ColorTable;
        colors_.clear();
        return;
    }
    if (IsSkippedDestination(w)) {
        s.dest = Dest::Skip;
        return;
    }
    if (s.dest == Dest::Skip) return;
    if (s.dest == Dest::FontTable) {
        if (w == "f" && hasParam) {
            if (!tableFontName_.trimmed().isEmpty()) CommitFontName();
            tableFont_ = param;
            tableFontName_.clear();
        }
        return;
    }
    if (s.dest == Dest::ColorTable) {
        if (w == "red") red_ = param, colorSet_ = true;
        else if (w == "green") green_ = param, colorSet_ = true;
        else if (w == "blue") blue_ = param, colorSet_ = true;
        return;
    }

    // Document and character properties
    if (w == "ansicpg" && hasParam) {
        codePage_ = param;
        if (codePage_ != 1252) decoder_ = QStringDecoder(QByteArray("windows-" + QByteArray::number(param)));
        return;
    }
    if (w == "deff" && hasParam) {
        deff_ = param;
        return;
    }
    if (w == "uc" && hasParam) {
        s.uc = std::clamp(param, 0, 10);
        return;
    }
    if (w == "plain") {
        s.bold = s.italic = s.underline = false;
        s.halfPoints = 24;
        s.font = -1;
        s.color = 0;
        return;
    }
    if (w == "b") s.bold = on;
    else if (w == "i") s.italic = on;
    else if (w == "ul") s.underline = on;
    else if (w == "uld" || w == "uldb" || w == "ulw") s.underline = on;
    else if (w == "ulnone") s.underline = false;
    else if (w == "fs" && hasParam) s.halfPoints = param > 0 ? param : 24;
    else if (w == "f" && hasParam) s.font = param;
    else if (w == "cf" && hasParam) s.color = param;

    // Paragraphs
    else if (w == "par" || w == "page" || w == "sect" || w == "row") Paragraph();
    else if (w == "line") EmitChar(QChar(0x2028));
    else if (w == "tab" || w == "cell") EmitChar(QChar(u'\t'));
    else if (w == "pard") {
        s.align = Qt::AlignLeft;
        s.leftTw = s.rightTw = s.firstTw = s.beforeTw = s.afterTw = 0;
        if (blockTouched_) ApplyBlockFormat();
    } else if (w == "ql" || w == "qc" || w == "qr" || w == "qj") {
        s.align = w == "qc" ? Qt::AlignHCenter : w == "qr" ? Qt::AlignRight : w == "qj" ? Qt::AlignJustify : Qt::AlignLeft;
        if (blockTouched_) ApplyBlockFormat();
    } else if (w == "li" && hasParam) s.leftTw = param;
    else if (w == "ri" && hasParam) s.rightTw = param;
    else if (w == "fi" && hasParam) s.firstTw = param;
    else if (w == "sb" && hasParam) s.beforeTw = param;
    else if (w == "sa" && hasParam) s.afterTw = param;

    // Named characters
    else if (w == "emdash") EmitChar(QChar(0x2014));
    else if (w == "endash") EmitChar(QChar(0x2013));
    else if (w == "bullet") EmitChar(QChar(0x2022));
    else if (w == "lquote") EmitChar(QChar(0x2018));
    else if (w == "rquote") EmitChar(QChar(0x2019));
    else if (w == "ldblquote") EmitChar(QChar(0x201C));
    else if (w == "rdblquote") EmitChar(QChar(0x201D));
    else if (w == "emspace") EmitChar(QChar(0x2003));
    else if (w == "enspace") EmitChar(QChar(0x2002));
    else if (w == "qmspace") EmitChar(QChar(0x2005));
    // anything else: not part of the subset, dropped
}

std::unique_ptr<QTextDocument> Parser::Run(QString* error)
{
    doc_ = std::make_unique<QTextDocument>();
    cursor_ = QTextCursor(doc_.get());
    // One edit block: the layout is not redone after every insertion, which
    // made long paragraphs with many control words quadratic.
    cursor_.beginEditBlock();
    stack_.reserve(kRtfMaxDepth + 1);
    stack_.push_back(GroupState{});

    // Leading white space and a UTF-8 byte-order mark are tolerated.
    qsizetype start = 0;
    if (data_.startsWith("\xEF\xBB\xBF")) start = 3;
    while (start < data_.size() && (data_[start] == ' ' || data_[start] == '\r' || data_[start] == '\n' ||
                                    data_[start] == '\t'))
        ++start;
    if (!data_.mid(start, 5).startsWith("{\\rtf")) {
        if (error) *error = data_.isEmpty() ? QStringLiteral("empty text, not RTF")
                                            : QStringLiteral("not an RTF text (it does not begin with {\\rtf)");
        cursor_.endEditBlock();
        return std::move(doc_);
    }
    pos_ = start;
    bool closed = false;
    const qsizetype n = data_.size();
    while (pos_ < n && !closed) {
        const char c = data_[pos_];
        if (c == '{') {
            ++pos_;
            OpenGroup();
        } else if (c == '}') {
            ++pos_;
            CloseGroup();
            if (stack_.size() == 1 && overflow_ == 0) closed = true;
        } else if (c == '\\') {
            ++pos_;
            if (pos_ >= n) break;
            const char d = data_[pos_];
            const bool letter = (d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z');
            if (d == '\'') {
                ++pos_;
                auto hex = [](char h) {
                    if (h >= '0' && h <= '9') return h - '0';
                    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                    return -1;
                };
                const int hi = pos_ < n ? hex(data_[pos_]) : -1;
                const int lo = pos_ + 1 < n ? hex(data_[pos_ + 1]) : -1;
                if (hi < 0 || lo < 0) {
                    // malformed escape: drop it and carry on with what follows
                    continue;
                }
                pos_ += 2;
                Flush();
                EmitByte(static_cast<unsigned char>(hi * 16 + lo));
            } else if (!letter) {
                ++pos_;
                Flush();
                ControlSymbol(d);
            } else {
                const qsizetype nameStart = pos_;
                while (pos_ < n && ((data_[pos_] >= 'a' && data_[pos_] <= 'z') || (data_[pos_] >= 'A' && data_[pos_] <= 'Z')))
                    ++pos_;
                const QByteArray word = pos_ - nameStart <= 32 ? data_.mid(nameStart, pos_ - nameStart) : QByteArray("?");
                bool hasParam = false;
                bool negative = false;
                long long param = 0;
                if (pos_ < n && data_[pos_] == '-' && pos_ + 1 < n && data_[pos_ + 1] >= '0' && data_[pos_ + 1] <= '9') {
                    negative = true;
                    ++pos_;
                }
                while (pos_ < n && data_[pos_] >= '0' && data_[pos_] <= '9') {
                    hasParam = true;
                    if (param < 100000000000LL) param = param * 10 + (data_[pos_] - '0');
                    ++pos_;
                }
                if (pos_ < n && data_[pos_] == ' ') ++pos_;
                param = std::clamp(negative ? -param : param, -2147483647LL, 2147483647LL);
                Flush();
                if (word == "bin") {
                    // raw binary data: never text
                    pos_ = std::min<qsizetype>(n, pos_ + std::max<long long>(0, param));
                    continue;
                }
                ControlWord(word, hasParam, static_cast<int>(param));
            }
        } else if (c == '\r' || c == '\n' || c == '\0') {
            ++pos_;
        } else {
            ++pos_;
            const unsigned char b = static_cast<unsigned char>(c);
            if (b < 0x20 && c != '\t') continue;  // control bytes of a damaged file
            EmitByte(b);
        }
    }
    Flush();
    cursor_.endEditBlock();
    if (!closed) {
        const int open = static_cast<int>(stack_.size()) - 1 + overflow_;
        notes_ << QStringLiteral("the RTF text ends inside %1 open group(s); it may be truncated").arg(open);
    }
    if (error) *error = notes_.join(QStringLiteral("; "));
    return std::move(doc_);
}

}  // namespace

std::unique_ptr<QTextDocument> ReadRtf(const QByteArray& rtf, QString* error)
{
    if (error) error->clear();
    Parser p(rtf);
    return p.Run(error);
}

std::unique_ptr<QTextDocument> ReadRtfFile(const QString& path, QString* error)
{
    if (error) error->clear();
    QFile f(path);
    if (!f.exists()) {
        if (error) *error = QStringLiteral("RTF file %1 not found").arg(path);
        return std::make_unique<QTextDocument>();
    }
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("RTF file %1 cannot be read: %2").arg(path, f.errorString());
        return std::make_unique<QTextDocument>();
    }
    const QByteArray data = f.readAll();
    QString note;
    auto doc = ReadRtf(data, &note);
    if (error && !note.isEmpty()) *error = path + QStringLiteral(": ") + note;
    return doc;
}

}  // namespace aerolyx
