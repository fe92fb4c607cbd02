#pragma once
// Text sheets: the RTF tender texts of a fan type in the data folder's TXT
// subfolder, with the project's values filled into their placeholders.
// Shared by the text window and aerolyx-cli text.
//
// A placeholder is "{name}" in the text ("\{name\}" in the RTF source):
// "{U:kind}" stands for the user's unit of that unit kind, any other name for
// the display text of the project field. Placeholders are found in the plain
// text from the last "{" backwards; each one found replaces every "\{name\}"
// of the RTF source (without regard to case) by " value " (value escaped for
// RTF). The work is bounded: names longer than kMaxPlaceholderName and braces
// that are never closed are left as they are, and the search stops after
// kMaxPlaceholders placeholders (names found by then are still filled
// everywhere); each with a note.
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "output/PrintHooks.h"

class QTextDocument;

namespace aerolyx {

class CFanData;

inline constexpr int kMaxPlaceholderName = 100;
inline constexpr int kMaxPlaceholders = 10000;

// ---- file names

// The type part of the name: I_Type, or the chosen fan's O_Type when no type
// was given ("-" or empty), so that a selection over all types finds its sheet.
std::string TextSheetType(const CFanData& project);
// Type & "_" & I_Serie.
std::string TextSheetBaseName(const CFanData& project);
// base & "_" & language & ".rtf", or base & "_SV_" & language & ".rtf" for the
// second variant. The language is upper-cased.
std::string TextSheetFileName(const std::string& baseName, bool secondVariant, const std::string& language);
// dataFolder/TXT/<file name>.
std::string TextSheetPath(const std::string& dataFolder, const CFanData& project, bool secondVariant,
                          const std::string& language);
// The language code of an entry of the language list ("DE- Deutsch" -> "DE").
std::string LanguageOfListEntry(const std::string& entry);

// ---- placeholders

struct PlaceholderValue {
    bool known = false;  // false: the name is no field or unit kind (value "")
    std::string text;
};
using PlaceholderResolver = std::function<PlaceholderValue(const std::string& name)>;

// Fields by their display text (ValueF), "U:kind" by the user's unit name.
PlaceholderResolver ProjectPlaceholders(const CFanData& project);

// A text as it may stand in an RTF source: "\", "{", "}" escaped, line
// breaks as \line, characters beyond ASCII as \uN?.
QByteArray RtfEscape(const QString& text);

struct FilledSheet {
    QByteArray rtf;                  // the RTF source with the values in it
    int filled = 0;                  // placeholders replaced
    std::vector<std::string> notes;  // reader errors, unknown names, braces left alone
};

// Fills the RTF source. Never throws; bad RTF gives what the reader could
// read (with its note) and the source otherwise unchanged.
FilledSheet FillTextSheet(const QByteArray& rtf, const PlaceholderResolver& resolve);

// ---- a whole sheet

struct TextSheet {
    std::string path;                    // the file looked for
    bool found = false;                  // false: no such file (rtf and doc empty)
    FilledSheet fill;
    std::unique_ptr<QTextDocument> doc;  // the filled sheet as a document (empty when not found)
    QString PlainText() const;
};

TextSheet LoadTextSheet(const CFanData& project, const std::string& dataFolder, bool secondVariant,
                        const std::string& language);

// The print-out's hooks with RTF texts filled from the project as they are read.
PrintHooks TextSheetPrintHooks(const CFanData& project, const PrintHooks& base = DefaultPrintHooks());

}  // namespace aerolyx
