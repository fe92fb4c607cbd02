#pragma once
// Reader for the RTF subset of the shipped text sheets: groups, \par, \line,
// \tab, \b, \i, \ul, \fs, \f with the font table, \cf with the colour table,
// \'hh (code page of \ansicpg, Windows-1252 by default), \uN with its \ucN skip
// count, paragraph alignment and indents. Unknown control words are skipped;
// "{\*..." groups and the known non-text destinations (info, stylesheet,
// pictures, headers, ...) are dropped whole.
//
// Both functions always return a document (empty when nothing could be read)
// and never throw. *error (when given) is empty on a clean read and otherwise
// says what was wrong: missing or unreadable file, not an RTF text, truncated
// text, groups nested deeper than the reader follows. Whatever text could be
// read is still in the document.
#include <QByteArray>
#include <QString>
#include <QTextDocument>
#include <memory>

namespace aerolyx {

// Groups deeper than this keep the formatting of the deepest followed group.
inline constexpr int kRtfMaxDepth = 200;

std::unique_ptr<QTextDocument> ReadRtf(const QByteArray& rtf, QString* error = nullptr);
std::unique_ptr<QTextDocument> ReadRtfFile(const QString& path, QString* error = nullptr);

}  // namespace aerolyx
