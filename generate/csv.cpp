#include "csv.h"

#include "fileread.h"
#include "helpers.h"

#include <QTextCodec>

namespace Csv {

namespace {

QTextCodec *codecNamed(const QString &name)
{
    QTextCodec *codec = name.isEmpty() ? nullptr : QTextCodec::codecForName(name.toLatin1());
    return codec ? codec : QTextCodec::codecForName("UTF-8");
}

// What a reading costs, per character beyond ASCII: the likelier in the text
// it claims to be, the cheaper. Under UTF-8 a word of one alphabet costs as
// little as one symbol whatever its length, while GBK read as UTF-8 gives
// ill-formed bytes and odd letters of one alphabet or another, one at a
// time; under GB18030 common Chinese characters cost little, while UTF-8
// read as GBK lands on rarer ones, symbols and private ones, or beside ASCII
// letters (where an accented letter sits in its word).
constexpr int illFormedByte = 3; // a U+FFFD
constexpr int illFormedRun = 4; // more for each run of them: damage is rare
constexpr int letterRun = 2; // a run of letters of one alphabet
constexpr int alphabetChange = 4; // more for a letter right after one of another alphabet
constexpr int symbol = 2; // punctuation, symbols, marks, emoji
constexpr int unknownCharacter = 4; // unassigned in Qt's tables, or private
constexpr int commonHanzi = 2; // in GB2312's rows
constexpr int gb2312Punctuation = 1;
constexpr int gbkCharacter = 4; // GBK's characters outside GB2312
constexpr int rareCharacter = 12; // GB2312's other symbols, user-defined ones, four-byte ones
constexpr int besideAsciiLetter = 8;

bool asciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The cost of the bytes read as UTF-8, going on one byte after the start of
// each ill-formed sequence. A sequence cut only by the end of the data costs
// nothing: a file cut short is still UTF-8. Chinese, Japanese and Korean
// count as one alphabet, as they mix in ordinary text; a letter continues
// its alphabet's run across marks and U+FFFD, not across ASCII or
// punctuation.
qint64 utf8Cost(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int size = bytes.size();
    qint64 cost = 0;
    int lastIllFormed = -2;
    int previous = -1; // the alphabet of the run going on
    int i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            previous = -1;
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
            uint point = lead & (0x7F >> length);
            for (next = 1; next < length; ++next)
                point = point << 6 | (data[i + next] & 0x3F);
            i += length;
            int script = QChar::script(point);
            switch (script) {
            case QChar::Script_Unknown:
                // Qt's tables predate newer emoji (🥹 U+1F979, 🫠 U+1FAE0):
                // those are not characters no text holds.
                cost += point >= 0x1F000 && point <= 0x1FFFF ? symbol : unknownCharacter;
                continue;
            case QChar::Script_Inherited:
                cost += symbol;
                continue;
            case QChar::Script_Common:
                cost += symbol;
                previous = -1;
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
            if (script != previous)
                cost += letterRun + (previous == -1 ? 0 : alphabetChange);
            previous = script;
        } else if (length > 0 && i + next == size) {
            break;
        } else {
            cost += illFormedByte + (lastIllFormed == i - 1 ? 0 : illFormedRun);
            lastIllFormed = i;
            ++i;
        }
    }
    return cost;
}

// The cost of the bytes read as GB18030, or -1 when some byte makes no
// character. GB2312's rows have lead byte A1 to F7 and trail byte A1 to FE:
// punctuation in A1 to A3, other symbols to A9, Chinese characters from B0.
// User-defined characters take AA to AF and F8 to FE, and A1 to A7 below
// trail A1; GBK's other characters take the rest of the two-byte ones.
qint64 gb18030Cost(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int size = bytes.size();
    qint64 cost = 0;
    int lastAscii = -1;
    for (int i = 0; i < size;) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            lastAscii = i++;
            continue;
        }
        const unsigned char trail = i + 1 < size ? data[i + 1] : 0;
        if (lead == 0x80 || lead == 0xFF || i + 1 >= size)
            return -1;
        if (trail >= 0x30 && trail <= 0x39) {
            if (i + 3 >= size || data[i + 2] < 0x81 || data[i + 2] > 0xFE || data[i + 3] < 0x30
                || data[i + 3] > 0x39)
                return -1;
            cost += rareCharacter;
            i += 4;
            continue;
        }
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
            return -1;
        if (trail >= 0xA1 && lead >= 0xB0 && lead <= 0xF7)
            cost += commonHanzi;
        else if (trail >= 0xA1 && lead >= 0xA1 && lead <= 0xA3)
            cost += gb2312Punctuation;
        else if (lead < 0xA1 || (trail < 0xA1 && lead > 0xA7))
            cost += gbkCharacter;
        else
            cost += rareCharacter;
        if ((lastAscii == i - 1 && asciiLetter(data[i - 1])) || (i + 2 < size && asciiLetter(data[i + 2])))
            cost += besideAsciiLetter;
        i += 2;
    }
    return cost;
}

// Qt's GB18030 decoder counts no invalid input and drops a sequence left
// unfinished at the end without a word: only a round trip back to the same
// bytes shows that every byte was read as a character.
bool readsWhole(QTextCodec *codec, const QByteArray &bytes)
{
    return codec->fromUnicode(codec->toUnicode(bytes)) == bytes;
}

// UTF-8 unless the bytes are plainly Chinese: Chinese spreadsheet programs
// save GBK or GB18030 without a mark. A wrong UTF-8 reading shows as
// replacement characters; a wrong GB18030 reading looks like ordinary
// Chinese, so GB18030 needs GB18030 to read every byte and to cost less than
// UTF-8 (a tie stays UTF-8). A genuine UTF-8 text costs a few letter runs, so
// only bytes valid both ways that UTF-8 reads as a letter or two at a time
// from varying alphabets turn; a short GBK text that reads as words of one
// alphabet ("学校,小学" as "ѧУ,Сѧ") stays UTF-8.
QTextCodec *guessCodec(const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec *gb18030 = QTextCodec::codecForName("GB18030");
    // Zero for ASCII only, -1 as soon as a byte makes no character.
    const qint64 asGb18030 = gb18030Cost(bytes);
    return asGb18030 > 0 && asGb18030 < utf8Cost(bytes) && readsWhole(gb18030, bytes) ? gb18030 : utf8;
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
