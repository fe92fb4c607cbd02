#include "output/TextSheet.h"

#include <QFile>
#include <QHash>
#include <QTextDocument>

#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "model/FieldEnv.h"
#include "output/RtfReader.h"
#include "output/TranslatorSwitch.h"

namespace aerolyx {

namespace {

constexpr std::size_t kMaxNotes = 20;

bool NoTypeChosen(const std::string& type)
{
    const std::string t = Trim(type);
    return t.empty() || t == "-" || t == "--";
}

class Notes {
public:
    explicit Notes(std::vector<std::string>& out) : out_(out) {}
    void Add(const std::string& note)
    {
        if (out_.size() < kMaxNotes) out_.push_back(note);
        else ++dropped_;
    }
    ~Notes()
    {
        if (dropped_ > 0) out_.push_back("... and " + std::to_string(dropped_) + " more notes");
    }

private:
    std::vector<std::string>& out_;
    int dropped_ = 0;
};

std::string Excerpt(const QString& s)
{
    const int kShown = 40;
    return s.size() <= kShown ? s.toStdString() : s.left(kShown).toStdString() + "...";
}

}  // namespace

std::string TextSheetType(const CFanData& project)
{
    const std::string type = project.ValueI("I_Type").toText();
    return NoTypeChosen(type) ? project.ValueI("O_Type").toText() : type;
}

std::string TextSheetBaseName(const CFanData& project)
{
    return TextSheetType(project) + "_" + project.ValueI("I_Serie").toText();
}

std::string TextSheetFileName(const std::string& baseName, bool secondVariant, const std::string& language)
{
    return baseName + (secondVariant ? "_SV_" : "_") + ToUpper(language) + ".rtf";
}

std::string TextSheetPath(const std::string& dataFolder, const CFanData& project, bool secondVariant,
                          const std::string& language)
{
    return JoinPath(JoinPath(dataFolder, "TXT"),
                    TextSheetFileName(TextSheetBaseName(project), secondVariant, language));
}

std::string LanguageOfListEntry(const std::string& entry) { return ToUpper(Trim(entry).substr(0, 2)); }

PlaceholderResolver ProjectPlaceholders(const CFanData& project)
{
    return [&project](const std::string& name) {
        const std::string n = Trim(name);
        if (IStartsWith(n, "U:")) {
            std::string unit = fieldenv::GetUnitCode(ToUpper(Trim(n.substr(2))), true);
            return PlaceholderValue{!unit.empty(), unit};
        }
        if (n.empty() || !project.Item(n)) return PlaceholderValue{};
        return PlaceholderValue{true, project.ValueF(n)};
    };
}

QByteArray RtfEscape(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\line ";
        } else if (c == '\r') {
            if (i + 1 >= text.size() || text.at(i + 1) != u'\n') out += "\\line ";
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c < 0x20) {
            // other control characters have no place in a text
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // \uN takes a signed 16-bit number; one "?" for readers without Unicode.
            out += "\\u" + QByteArray::number(static_cast<qint16>(c)) + '?';
        }
    }
    return out;
}

FilledSheet FillTextSheet(const QByteArray& rtf, const PlaceholderResolver& resolve)
{
    FilledSheet result;
    Notes notes(result.notes);
    QString readError;
    const std::unique_ptr<QTextDocument> doc = ReadRtf(rtf, &readError);
    if (!readError.isEmpty()) notes.Add(readError.toStdString());
    const QString t = doc ? doc->toPlainText() : QString();

    // Find the placeholders in the plain text, from the last "{" backwards.
    // The text after the cursor is done: it is kept reversed in `done`, so
    // that a value put in is never searched again and each step is short.
    QHash<QString, PlaceholderValue> values;  // by lower-case name
    QString done;
    qsizetype cursor = t.size();
    int count = 0;
    while (cursor > 0) {
        const qsizetype p = t.lastIndexOf(u'{', cursor - 1);
        if (p < 0) break;
        for (qsizetype i = cursor - 1; i > p; --i) done.append(t.at(i));
        cursor = p;
        qsizetype close = -1;
        for (qsizetype k = 0; k <= kMaxPlaceholderName && k < done.size(); ++k)
            if (done.at(done.size() - 1 - k) == u'}') {
                close = k;
                break;
            }
        if (close < 0) {
            QString head;
            for (qsizetype k = 0; k < 40 && k < done.size(); ++k) head.append(done.at(done.size() - 1 - k));
            notes.Add("\"{" + Excerpt(head) + "\" is not closed within " + std::to_string(kMaxPlaceholderName) +
                      " characters: left as it is");
            done.append(u'{');
            continue;
        }
        QString name;
        for (qsizetype k = 0; k < close; ++k) name.append(done.at(done.size() - 1 - k));
        done.chop(close + 1);
        const QString key = name.toLower();
        auto it = values.find(key);
        if (it == values.end()) {
            PlaceholderValue v = resolve ? resolve(name.toStdString()) : PlaceholderValue{};
            if (!v.known) notes.Add("{" + name.toStdString() + "} names no field or unit: left empty");
            it = values.insert(key, v);
        }
        const QString value = QString::fromStdString(it->text);
        for (qsizetype k = value.size() - 1; k >= 0; --k) done.append(value.at(k));
        if (++count >= kMaxPlaceholders) {
            notes.Add("more than " + std::to_string(kMaxPlaceholders) +
                      " placeholders: names not found by then are left as they are");
            break;
        }
    }

    // Every "\{name\}" of the source whose name was found becomes " value ".
    // "\\" and other escapes are passed over whole, so that "\\{" is no brace.
    QByteArray& out = result.rtf;
    out.reserve(rtf.size() + rtf.size() / 8);
    qsizetype open = -1;  // where the latest "\{" begins in out
    const qsizetype n = rtf.size();
    const qsizetype maxSpan = 2 + 2 * kMaxPlaceholderName;  // room for line breaks in the source
    for (qsizetype i = 0; i < n; ++i) {
        const char c = rtf.at(i);
        if (c == '\\' && i + 1 < n) {
            const char d = rtf.at(i + 1);
            ++i;
            if (d == '{') {
                open = out.size();
                out += "\\{";
                continue;
            }
            if (d == '}' && open >= 0) {
                QByteArray raw = out.mid(open + 2);
                raw.replace("\r", "").replace("\n", "");
                auto it = values.constFind(QString::fromLatin1(raw).toLower());
                if (it != values.constEnd()) {
                    out.truncate(open);
                    out += ' ' + RtfEscape(QString::fromStdString(it->text)) + ' ';
                    ++result.filled;
                } else {
                    out += "\\}";
                }
                open = -1;
                continue;
            }
            out += c;
            out += d;
        } else {
            out += c;
        }
        if (open >= 0 && out.size() - open > maxSpan) open = -1;
    }
    return result;
}

QString TextSheet::PlainText() const { return doc ? doc->toPlainText() : QString(); }

TextSheet LoadTextSheet(const CFanData& project, const std::string& dataFolder, bool secondVariant,
                        const std::string& language)
{
    TextSheet sheet;
    sheet.path = TextSheetPath(dataFolder, project, secondVariant, language);
    sheet.doc = std::make_unique<QTextDocument>();
    QFile f(QString::fromStdString(sheet.path));
    if (!f.exists()) return sheet;
    if (!f.open(QIODevice::ReadOnly)) {
        sheet.fill.notes.push_back(sheet.path + " cannot be read: " + f.errorString().toStdString());
        return sheet;
    }
    sheet.found = true;
    // Choice texts and unit names in the sheet's language.
    std::string failed;
    TranslatorSwitch inLanguage(language, &failed);
    if (!failed.empty()) sheet.fill.notes.push_back("the language " + failed + " cannot be loaded");
    FilledSheet filled = FillTextSheet(f.readAll(), ProjectPlaceholders(project));
    filled.notes.insert(filled.notes.begin(), sheet.fill.notes.begin(), sheet.fill.notes.end());
    sheet.fill = std::move(filled);
    sheet.doc = ReadRtf(sheet.fill.rtf);
    return sheet;
}

PrintHooks TextSheetPrintHooks(const CFanData& project, const PrintHooks& base)
{
    PrintHooks hooks = base;
    hooks.rtf = [&project](const QString& path, QString* error) -> std::unique_ptr<QTextDocument> {
        if (error) error->clear();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            if (error) *error = path + ": " + f.errorString();
            return nullptr;
        }
        FilledSheet filled = FillTextSheet(f.readAll(), ProjectPlaceholders(project));
        return ReadRtf(filled.rtf);
    };
    return hooks;
}

}  // namespace aerolyx
