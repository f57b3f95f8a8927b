#include "csv.h"

#include "fileread.h"
#include "helpers.h"

#include <QFile>
#include <QHash>
#include <QVector>
#include <QTextCodec>

namespace Csv {

namespace {

QTextCodec *codecNamed(const QString &name)
{
    QTextCodec *codec = name.isEmpty() ? nullptr : QTextCodec::codecForName(name.toLatin1());
    return codec ? codec : QTextCodec::codecForName("UTF-8");
}

// The bytes read as UTF-8: the well-formed multi-byte sequences, those of
// them that touch an ASCII letter (as accented letters inside Latin words
// do), and the ill-formed ones, the scan going on one byte after the start
// of each ill-formed one. A sequence cut only by the end of the data is
// neither: a file cut short is still UTF-8.
struct Utf8Scan
{
    int sequences = 0;
    int inWords = 0;
    int invalid = 0;
};

bool asciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

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
            if ((i > 0 && asciiLetter(data[i - 1])) || (i + length < size && asciiLetter(data[i + length])))
                ++scan.inWords;
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

// The bytes read as GB18030: whether they all make characters, how many
// two-byte characters there are, and how many of those lie in GB2312's
// rows (lead byte A1 to F7, trail byte A1 to FE), where the characters of
// Chinese text are.
struct GbScan
{
    bool whole = true;
    int pairs = 0;
    int gb2312 = 0;
};

GbScan scanGb18030(const QByteArray &bytes)
{
    GbScan scan;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int size = bytes.size();
    for (int i = 0; i < size;) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const unsigned char trail = i + 1 < size ? data[i + 1] : 0;
        if (lead == 0x80 || lead == 0xFF || i + 1 >= size) {
            scan.whole = false;
            return scan;
        }
        if (trail >= 0x30 && trail <= 0x39) {
            if (i + 3 >= size || data[i + 2] < 0x81 || data[i + 2] > 0xFE || data[i + 3] < 0x30
                || data[i + 3] > 0x39) {
                scan.whole = false;
                return scan;
            }
            i += 4;
            continue;
        }
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) {
            scan.whole = false;
            return scan;
        }
        ++scan.pairs;
        if (lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE)
            ++scan.gb2312;
        i += 2;
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

// The writing systems of a text's characters beyond ASCII, counted per
// character (Chinese, Japanese and Korean count as one, as they mix in
// ordinary text); punctuation, symbols and marks belong to none. `strange`
// counts characters no text holds: unassigned and private-use ones.
struct Scripts
{
    QHash<int, int> letters;
    int strange = 0;
};

Scripts scriptsOf(const QString &text)
{
    Scripts scripts;
    const QVector<uint> points = text.toUcs4();
    for (const uint point : points) {
        if (point < 0x80 || point == QChar::ReplacementCharacter)
            continue;
        const QChar::Category category = QChar::category(point);
        if (category == QChar::Other_NotAssigned || category == QChar::Other_PrivateUse) {
            ++scripts.strange;
            continue;
        }
        int script = QChar::script(point);
        switch (script) {
        case QChar::Script_Common:
        case QChar::Script_Inherited:
            continue;
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
        case QChar::Script_Bopomofo:
        case QChar::Script_Hangul:
            script = QChar::Script_Han;
            break;
        default:
            break;
        }
        ++scripts.letters[script];
    }
    return scripts;
}

// Whether a reading holds what no one writes: characters no text holds, or
// letters of two writing systems side by side, the rarer ones at least a
// quarter of them (a flipped byte makes one odd letter, GBK read as UTF-8
// lands on one alphabet or another from one character to the next).
bool mixesScripts(const Scripts &scripts)
{
    if (scripts.strange > 0)
        return true;
    int all = 0;
    int most = 0;
    for (const int count : scripts.letters) {
        all += count;
        most = qMax(most, count);
    }
    return (all - most) * 4 >= all && all > most;
}

// UTF-8 unless the bytes are plainly Chinese: Chinese spreadsheet programs
// save GBK or GB18030 without a mark. A wrong UTF-8 reading shows as
// replacement characters; a wrong GB18030 reading looks like ordinary
// Chinese, so GB18030 needs GB18030 to read every byte, and then:
// - more ill-formed UTF-8 sequences than well-formed ones (GBK scanned as
//   UTF-8 gives several bad sequences for each pair that passes by chance);
// - or an ill-formed sequence, and good ones that read as characters no
//   text holds (unassigned or private ones, as GBK's rarer characters give);
// - or Chinese text as GB18030 reads it: nine in ten of its two-byte
//   characters in GB2312's rows (UTF-8 read as GBK lands mostly outside
//   them), the UTF-8 sequences not inside ASCII words (where accented
//   letters sit), and either an ill-formed sequence somewhere, unless the
//   good sequences are letters of one alphabet, or hold Chinese, Japanese
//   or Korean, and outnumber the bad three to one (a damaged UTF-8 file),
//   or, bytes valid both ways, every pair in
//   GB2312 and UTF-8 reading them as a mix of alphabets without Chinese,
//   Japanese or Korean (which UTF-8 holds and GBK read as UTF-8 all but
//   never gives). A genuine UTF-8 text in one alphabet, or in one beside
//   Chinese, is never turned into GB18030: a short GBK text that reads as
//   one alphabet ("学校,小学" as "ѧУ,Сѧ") stays UTF-8.
QTextCodec *guessCodec(const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    const Utf8Scan scan = scanUtf8(bytes);
    if (scan.invalid == 0 && scan.sequences == 0)
        return utf8;
    QTextCodec *gb18030 = QTextCodec::codecForName("GB18030");
    const GbScan gb = scanGb18030(bytes);
    if (!gb.whole || !readsWhole(gb18030, bytes))
        return utf8;
    if (scan.invalid > scan.sequences)
        return gb18030;
    const Scripts scripts = scriptsOf(utf8->toUnicode(bytes));
    if (scan.invalid > 0 && scripts.strange > 0)
        return gb18030;
    if (gb.pairs == 0 || gb.gb2312 * 10 < gb.pairs * 9 || scan.inWords * 2 > scan.sequences)
        return utf8;
    if (scan.invalid > 0)
        return scan.invalid * 3 <= scan.sequences
                       && (scripts.letters.size() == 1 || scripts.letters.contains(QChar::Script_Han))
                   ? utf8
                   : gb18030;
    return gb.gb2312 == gb.pairs && !scripts.letters.contains(QChar::Script_Han) && mixesScripts(scripts) ? gb18030
                                                                                                             : utf8;
}

} // namespace

QList<QStringList> readFile(const QString &path, const QString &codecName)
{
    QString text;
    QByteArray bytes;
    if (readWholeFile(path, ReadLimit::DataPackage, &bytes)) {
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
