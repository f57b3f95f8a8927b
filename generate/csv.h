// CSV data packages: a text of rows of comma-separated fields, quotes around
// any part of a field, doubled quotes inside them, fields over several lines.
#ifndef VOPA_CSV_H
#define VOPA_CSV_H

#include <QList>
#include <QString>
#include <QStringList>

namespace Csv {

// The rows of a file, read in the codec `codecName` names; a byte-order mark
// selects its own Unicode encoding over any. Without a name the file is UTF-8
// unless GB18030 reads every byte of it and reads it as likelier text: each
// reading costs by how likely its characters are (ill-formed bytes, letters
// of rare blocks, of changing alphabets or in runs no word is made of under
// UTF-8; GB2312's second level, rarer, private or four-byte characters and
// characters where UTF-8 would read an accented letter of an ASCII word
// under GB18030) and GB18030 must cost less (see guessCodec). A genuine
// UTF-8 text in words of one alphabet or several stays UTF-8; a damaged one
// reads with U+FFFD for each byte no character can be made of (those of a
// character cut by the end too). A file that cannot be opened reads as an
// empty text.
QList<QStringList> readFile(const QString &path, const QString &codecName);
// CR LF as LF, and a last LF added where the text lacks one.
QString normalizeText(const QString &text);
// The rows of a normalised text. A quote left open at the end closes there.
QList<QStringList> parseText(const QString &text);
QList<QStringList> parseString(const QString &text);
// Writes rows with CR LF line ends, enclosing in quotes (with its quotes
// doubled) every field that holds a quote, a comma, a CR or an LF, so that
// the file reads back the same. The file is replaced whole, as every file
// the program writes is; false when it cannot be written.
bool writeFile(const QList<QStringList> &rows, const QString &path, const QString &codecName);

} // namespace Csv

#endif
