#include "csv.h"

#include "helpers.h"

#include <QFile>
#include <QTextCodec>

namespace Csv {

namespace {

QTextCodec *codecNamed(const QString &name)
{
    QTextCodec *codec = name.isEmpty() ? nullptr : QTextCodec::codecForName(name.toLatin1());
    return codec ? codec : QTextCodec::codecForName("UTF-8");
}

// The bytes read as UTF-8: the well-formed multi-byte sequences and the
// ill-formed ones, the scan going on one byte after the start of each
// ill-formed one. A sequence cut only by the end of the data is neither: a
// file cut short is still UTF-8.
struct Utf8Scan
{
    int sequences = 0;
    int invalid = 0;
};

Utf8Scan scanUtf8(const QByteArray &bytes)
{
    Utf8Scan scan;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int size = bytes.size();
    int i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The second byte's range excludes overlong forms, surrogates and
        // code points past U+10FFFF; C0, C1 and F5 to FF start nothing.
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        int next = 1;
        while (next < length && i + next < size && data[i + next] >= (next == 1 ? low : 0x80)
               && data[i + next] <= (next == 1 ? high : 0xBF))
            ++next;
        if (length > 0 && next == length) {
            ++scan.sequences;
            i += length;
        } else if (length > 0 && i + next == size) {
            break;
        } else {
            ++scan.invalid;
            ++i;
        }
    }
    return scan;
}

// Qt's GB18030 decoder counts no invalid input and drops a sequence left
// unfinished at the end without a word: only a round trip back to the same
// bytes shows that every byte was read as a character.
bool readsWhole(QTextCodec *codec, const QByteArray &bytes)
{
    return codec->fromUnicode(codec->toUnicode(bytes)) == bytes;
}

// UTF-8 unless the bytes are plainly something else: Chinese spreadsheet
// programs save GBK or GB18030 without a mark. GBK text scanned as
// UTF-8 gives several ill-formed sequences for each pair that passes by
// chance, while a damaged UTF-8 file has a few among many good ones (or one
// cut by the end): so GB18030 only when the ill-formed outnumber the
// well-formed and GB18030 reads the whole file. On a tie UTF-8 is kept: a
// wrong guess then shows as replacement characters, where a wrong GB18030
// reading would look like ordinary Chinese.
QTextCodec *guessCodec(const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    const Utf8Scan scan = scanUtf8(bytes);
    if (scan.invalid == 0)
        return utf8;
    QTextCodec *gb18030 = QTextCodec::codecForName("GB18030");
    return scan.invalid > scan.sequences && readsWhole(gb18030, bytes) ? gb18030 : utf8;
}

} // namespace

QList<QStringList> readFile(const QString &path, const QString &codecName)
{
    QString text;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        // A byte-order mark selects its own Unicode encoding, over a named
        // codec too, as a text stream would.
        QTextCodec *codec = QTextCodec::codecForUtfText(bytes, nullptr);
        if (!codec && !codecName.isEmpty())
            codec = QTextCodec::codecForName(codecName.toLatin1());
        if (!codec)
            codec = guessCodec(bytes);
        QTextCodec::ConverterState state;
        text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
        // A character cut short by the end of the file is replaced byte by
        // byte, as one cut short anywhere else is.
        text += QString(state.remainingChars, QChar::ReplacementCharacter);
    }
    return parseText(normalizeText(text));
}

QString normalizeText(const QString &text)
{
    QString normalised = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (!normalised.endsWith(QLatin1Char('\n')))
        normalised += QLatin1Char('\n');
    return normalised;
}

QList<QStringList> parseText(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
                field += text.at(++i);
            else
                quoted = false;
        } else if (c == QLatin1Char('\n')) {
            row << field;
            rows << row;
            row.clear();
            field.clear();
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else {
            field += c;
        }
    }
    // Only an open quote leaves a row unfinished: it closes at the end of the
    // text and its row is kept, never dropped with everything after it.
    if (quoted) {
        if (field.endsWith(QLatin1Char('\n')))
            field.chop(1);
        row << field;
        rows << row;
    }
    return rows;
}

QList<QStringList> parseString(const QString &text)
{
    return parseText(normalizeText(text));
}

bool writeFile(const QList<QStringList> &rows, const QString &path, const QString &codecName)
{
    QString text;
    for (const QStringList &row : rows) {
        QStringList fields;
        for (const QString &field : row) {
            const bool enclose = field.contains(QLatin1Char('"')) || field.contains(QLatin1Char(','))
                                 || field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'));
            fields << (enclose ? QLatin1Char('"') + QString(field).replace(QLatin1String("\""), QLatin1String("\"\""))
                                     + QLatin1Char('"')
                               : field);
        }
        text += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
    }
    // No byte-order mark, as a text stream writes none.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return replaceFileContents(path, codecNamed(codecName)->fromUnicode(text.constData(), text.size(), &state));
}

} // namespace Csv
