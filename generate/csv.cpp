#include "csv.h"

#include "fileread.h"
#include "helpers.h"

#include <QBitArray>
#include <QTextCodec>
#include <QVector>

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
// ill-formed bytes and letters of one alphabet or another, one or two at a
// time, many of them from blocks no one types in running text (modifier
// letters, IPA, Latin Extended-B, archaic Greek, historic Cyrillic, Hebrew
// accents, combining marks on nothing they could mark). Under GB18030 common
// Chinese characters cost little, while UTF-8 read as GBK lands on rarer
// ones, symbols and private ones, or on the characters an accented Latin
// letter glued to its word makes.
constexpr int illFormedByte = 3; // a U+FFFD
constexpr int illFormedRun = 4; // more for each run of them: damage is rare
constexpr int letterRun = 2; // a run of letters of one alphabet
constexpr int alphabetChange = 4; // more for a letter right after one of another alphabet
constexpr int symbol = 2; // punctuation, symbols, marks, emoji
constexpr int unknownCharacter = 4; // unassigned in Qt's tables, or private
constexpr int rareLetter = 4; // more for a letter or mark of the rare blocks
constexpr int unlikelyRun = 3; // more for a run of letters no word is made of
constexpr int caseChange = 3; // more for a capital right after a small letter of its run
constexpr int commonHanzi = 2; // GB2312's first level, the 3,755 commonest
constexpr int lessCommonHanzi = 3; // GB2312's second level
constexpr int gb2312Punctuation = 1;
constexpr int gbkCharacter = 4; // GBK's characters outside GB2312
constexpr int rareCharacter = 12; // GB2312's other symbols, user-defined ones, four-byte ones
constexpr int besideAsciiLetter = 8; // where UTF-8 reads an accented letter of the word
constexpr int besideAsciiRare = 4; // a character outside GB2312 glued to ASCII letters

bool asciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool inRange(uint point, uint first, uint last)
{
    return point >= first && point <= last;
}

// The 2,350 Hangul syllables of KS X 1001, out of the 11,172 Unicode has:
// the others are seldom written.
bool commonHangul(uint point)
{
    static const QVector<bool> common = [] {
        QVector<bool> table(0xD7A4 - 0xAC00, false);
        // Read through the toolkit's Korean codec, which may be the larger
        // CP949: KS X 1001 takes both bytes from A1 up, CP949's others not.
        if (QTextCodec *codec = QTextCodec::codecForName("EUC-KR")) {
            for (int i = 0; i < table.size(); ++i) {
                const QChar syllable(ushort(0xAC00 + i));
                const QByteArray bytes = codec->fromUnicode(&syllable, 1);
                table[i] = bytes.size() == 2 && uchar(bytes[0]) >= 0xA1 && uchar(bytes[1]) >= 0xA1;
            }
        }
        return table;
    }();
    return common.at(int(point - 0xAC00));
}

// Greek's symbol forms that formulas write: ϐ ϑ ϒ ϕ ϖ ϰ ϱ ϴ ϵ.
bool mathGreek(uint point)
{
    return inRange(point, 0x03D0, 0x03D6) || inRange(point, 0x03F0, 0x03F1) || inRange(point, 0x03F4, 0x03F5);
}

// Modifier letters written inside words: primes, apostrophes, half rings.
bool wordModifier(uint point)
{
    return inRange(point, 0x02B9, 0x02BC) || inRange(point, 0x02BE, 0x02BF);
}

// Letters and marks of blocks that running text in a living language hardly
// holds, beside the few of them that some language writes every day
// (Vietnamese ơ ư, pinyin's ǎ ǐ ǒ ǔ ǚ and the school's ɑ ɡ, Romanian ș ț,
// the florin ƒ, the transliterations' primes and half rings ʹ ʺ ʻ ʼ ʾ ʿ,
// the tone marks ˆ ˇ ˉ ˊ ˋ and the spacing accents).
bool rareBlock(uint point)
{
    if (inRange(point, 0xAC00, 0xD7A3))
        return !commonHangul(point);
    if (point == 0x0138 || inRange(point, 0x013F, 0x0140) || point == 0x0149 || point == 0x017F) // ĸ Ŀ ŀ ŉ ſ
        return true;
    if (inRange(point, 0x0180, 0x024F)) // Latin Extended-B
        return !(point == 0x0192 || inRange(point, 0x01A0, 0x01A1) || inRange(point, 0x01AF, 0x01B0)
                 || inRange(point, 0x01CD, 0x01DC) || inRange(point, 0x0218, 0x021B));
    if (inRange(point, 0x0250, 0x02FF)) // IPA, spacing modifier letters
        return !(point == 0x0251 || point == 0x0261 || wordModifier(point) || inRange(point, 0x02C6, 0x02CB)
                 || inRange(point, 0x02D8, 0x02DD));
    // Of the combining diacritics, orthographies write the common accents,
    // the dot and comma below, the cedilla and the ogonek; the rest are
    // phonetic, and the last ones letters written small above.
    if (inRange(point, 0x0300, 0x036F))
        return !(inRange(point, 0x0300, 0x030C) || point == 0x0323 || inRange(point, 0x0326, 0x0328) || point == 0x0331);
    return inRange(point, 0x0370, 0x0373) || inRange(point, 0x0376, 0x0377) || inRange(point, 0x037B, 0x037D)
           || (inRange(point, 0x03CF, 0x03FF) && !mathGreek(point)) // archaic Greek, Coptic
           || inRange(point, 0x0460, 0x0489) // historic Cyrillic
           || inRange(point, 0x0591, 0x05AF) // Hebrew accents
           || inRange(point, 0x0750, 0x077F) // Arabic Supplement
           || inRange(point, 0x1F00, 0x1FFF) // polytonic Greek
           || inRange(point, 0x3400, 0x4DBF); // CJK Extension A
}

// A mark that needs a letter of its alphabets before it: the combining
// diacritics mark Latin, Greek and Cyrillic letters, Hebrew points Hebrew
// ones; anywhere else they mark nothing.
bool needsLetter(uint point)
{
    return inRange(point, 0x0300, 0x036F) || inRange(point, 0x05B0, 0x05BD) || point == 0x05BF
           || inRange(point, 0x05C1, 0x05C2) || inRange(point, 0x05C4, 0x05C5) || point == 0x05C7;
}

bool marks(uint mark, int letterScript)
{
    if (mark >= 0x0590)
        return letterScript == QChar::Script_Hebrew;
    return letterScript == QChar::Script_Latin || letterScript == QChar::Script_Greek
           || letterScript == QChar::Script_Cyrillic;
}

// Letters of living alphabets that only some languages write, or only in
// capitals: a word made of them alone is unlikely.
bool uncommonLetter(uint point)
{
    return inRange(point, 0x048A, 0x052F) || point == 0x03AA || point == 0x03AB;
}

// Hebrew's final forms and Greek's final sigma end a word.
bool finalForm(uint point)
{
    return point == 0x05DA || point == 0x05DD || point == 0x05DF || point == 0x05E3 || point == 0x05E5
           || point == 0x03C2;
}

// The abbreviations written without a vowel that stand alone, without a
// number before them: units, the days of the week, "гг" and "вв" for years
// and centuries, "кв" for a flat.
bool abbreviation(const QString &letters)
{
    static const QStringList known = QStringLiteral("мм см дм км кг мг мл гг вв кв шт пн вт чт пт сб").split(QLatin1Char(' '));
    return known.contains(letters);
}

// Cyrillic's and Greek's vowels, small and capital, those of Kazakh, Tatar
// and Mongolian too.
bool vowel(uint point)
{
    static const QVector<bool> vowels = [] {
        QVector<bool> table(0x0500 - 0x0370, false);
        for (const QChar c : QStringLiteral("аеёиоуыэюяіїєўαεηιουωάέήίόύώϊϋΐΰәөүұӛӧӱӣӯӹ")) {
            table[c.unicode() - 0x0370] = true;
            table[c.toUpper().unicode() - 0x0370] = true;
        }
        return table;
    }();
    return inRange(point, 0x0370, 0x04FF) && vowels.at(int(point - 0x0370));
}

// The cost of the bytes read as UTF-8, going on one byte after the start of
// each ill-formed sequence. A sequence cut only by the end of the data costs
// nothing: a file cut short is still UTF-8. Chinese, Japanese and Korean
// count as one alphabet, as they mix in ordinary text; a letter continues
// its alphabet's run across marks and U+FFFD, not across ASCII or
// punctuation.
qint64 utf8Cost(const QByteArray &bytes, QBitArray *illFormed)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const int size = bytes.size();
    qint64 cost = 0;
    int lastIllFormed = -2;
    int previous = -1; // the alphabet of the run going on
    // The run of Cyrillic or Greek letters going on, and what it holds:
    // small letters without a vowel make no word but a unit after a number
    // ("10 мм", "5 кг"), and uncommon letters alone make none.
    int runLength = 0;
    bool runVowel = false, runCapital = false, runCommon = false, runAfterNumber = false;
    QString runLetters; // its first three letters
    int afterLetter = -1; // the alphabet of the letter a mark there would mark
    bool lastSmall = false; // the letter before, ASCII too
    bool lastFinal = false;
    const auto endRun = [&] {
        if (runLength > 0
            && (!runCommon
                || (runLength > 1 && !runVowel && !runCapital && !runAfterNumber && !abbreviation(runLetters))))
            cost += unlikelyRun;
        runLetters.clear();
        runLength = 0;
        runVowel = runCapital = runCommon = false;
    };
    int i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            endRun();
            previous = -1;
            afterLetter = asciiLetter(lead) ? QChar::Script_Latin : -1;
            lastSmall = lead >= 'a' && lead <= 'z';
            lastFinal = false;
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
            const bool rare = rareBlock(point);
            const bool mark = needsLetter(point);
            if (rare || (mark && !marks(point, afterLetter)))
                cost += rareLetter;
            int script = QChar::script(point);
            if (mark) {
                // Marks the letter before it, and continues its run.
                cost += symbol;
                afterLetter = rare ? -1 : afterLetter;
                continue;
            }
            switch (script) {
            case QChar::Script_Unknown:
                // Qt's tables predate newer emoji (🥹 U+1F979, 🫠 U+1FAE0):
                // those are not characters no text holds.
                cost += point >= 0x1F000 && point <= 0x1FFFF ? symbol : unknownCharacter;
                afterLetter = -1;
                continue;
            case QChar::Script_Inherited:
                cost += symbol;
                continue;
            case QChar::Script_Common:
                cost += symbol;
                endRun();
                previous = -1;
                afterLetter = -1;
                lastSmall = lastFinal = false;
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
            if (script != previous) {
                endRun();
                cost += letterRun + (previous == -1 ? 0 : alphabetChange);
                lastSmall = lastSmall && script == QChar::Script_Latin;
            } else if (lastFinal) {
                cost += unlikelyRun;
            }
            lastFinal = finalForm(point);
            previous = script;
            afterLetter = rare ? -1 : script;
            const bool small = QChar::isLower(point);
            const bool capital = QChar::isUpper(point);
            if (capital && lastSmall)
                cost += caseChange;
            lastSmall = small;
            if (script == QChar::Script_Cyrillic || script == QChar::Script_Greek) {
                if (runLength++ == 0) {
                    const int start = i - length;
                    const int before = start > 0 && data[start - 1] == ' ' ? start - 2 : start - 1;
                    runAfterNumber = before >= 0 && data[before] >= '0' && data[before] <= '9';
                }
                if (runLetters.size() < 3)
                    runLetters += QChar(ushort(point));
                runVowel = runVowel || vowel(point);
                runCapital = runCapital || capital;
                runCommon = runCommon || (!rare && !uncommonLetter(point));
            }
        } else if (length > 0 && i + next == size) {
            break;
        } else {
            cost += illFormedByte + (lastIllFormed == i - 1 ? 0 : illFormedRun);
            lastIllFormed = i;
            illFormed->setBit(i);
            afterLetter = -1;
            lastSmall = lastFinal = false;
            ++i;
        }
    }
    endRun();
    return cost;
}

// The cost of the bytes read as GB18030, or -1 when some byte makes no
// character. GB2312's rows have lead byte A1 to F7 and trail byte A1 to FE:
// punctuation in A1 to A3, other symbols to A9, Chinese characters from B0,
// the commoner first level to D7. User-defined characters take AA to AF and
// F8 to FE, and A1 to A7 below trail A1; GBK's other characters take the
// rest of the two-byte ones. Labels glue common characters to ASCII
// letters ("A区", "华为P60"), so only two kinds of character cost more
// there: one whose two bytes UTF-8 reads as a letter of a Latin word or a
// sign that sits in or beside a word ("café", "Pokémon", "Windows®"), and
// one outside GB2312.
qint64 gb18030Cost(const QByteArray &bytes, const QBitArray &illFormed)
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
        if (trail >= 0xA1 && lead >= 0xB0 && lead <= 0xD7)
            cost += commonHanzi;
        else if (trail >= 0xA1 && lead >= 0xD8 && lead <= 0xF7)
            cost += lessCommonHanzi;
        else if (trail >= 0xA1 && lead >= 0xA1 && lead <= 0xA3)
            cost += gb2312Punctuation;
        else if (lead < 0xA1 || (trail < 0xA1 && lead > 0xA7))
            cost += gbkCharacter;
        else
            cost += rareCharacter;
        if (!(i > 0 && lastAscii == i - 1 && asciiLetter(data[i - 1])) && !(i + 2 < size && asciiLetter(data[i + 2]))) {
            i += 2;
            continue;
        }
        // A letter: lead C3 to CA and a continuation byte, not a modifier
        // letter but those written inside words; a sign: ¡ © ª « ® ° ² ³ µ
        // · ¹ º » ¿.
        static const QByteArray wordSigns("\xA1\xA9\xAA\xAB\xAE\xB0\xB2\xB3\xB5\xB7\xB9\xBA\xBB\xBF");
        const uint asUtf8 = uint(lead & 0x1F) << 6 | (trail & 0x3F);
        const bool letter = lead >= 0xC3 && lead <= 0xCA && trail >= 0x80 && trail <= 0xBF
                            && ((asUtf8 < 0x02B0 && QChar::isLetter(asUtf8)) || wordModifier(asUtf8));
        const bool sign = lead == 0xC2 && wordSigns.contains(char(trail));
        // The word must be one UTF-8 reads: no byte it cannot read beside
        // it, and beside a letter of the rare blocks nothing but ASCII
        // ("Tasanɣut", not the "Ʒʤ" of 品胜).
        const bool inWord = letter && rareBlock(asUtf8)
                                ? !(i > 0 && data[i - 1] >= 0x80) && !(i + 2 < size && data[i + 2] >= 0x80)
                                : !(i > 0 && illFormed.testBit(i - 1)) && !(i + 2 < size && illFormed.testBit(i + 2));
        if ((letter || sign) && inWord)
            cost += besideAsciiLetter;
        else if (lead < 0xA1 || trail < 0xA1)
            cost += besideAsciiRare;
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
// UTF-8 (a tie stays UTF-8). A genuine UTF-8 text costs a few letter runs of
// living alphabets; GBK read as UTF-8 gives bad bytes, or letters one or two
// at a time from rare blocks, of changing alphabets, or in runs no word is
// made of ("ϵͳ" for 系统, "лл" for 谢谢). What stays ambiguous is a single
// character that reads either way as something plausible ("F楼" as "F¥").
QTextCodec *guessCodec(const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec *gb18030 = QTextCodec::codecForName("GB18030");
    // Zero for ASCII only, -1 as soon as a byte makes no character.
    QBitArray illFormed(bytes.size());
    const qint64 asUtf8 = utf8Cost(bytes, &illFormed);
    const qint64 asGb18030 = gb18030Cost(bytes, illFormed);
    return asGb18030 > 0 && asGb18030 < asUtf8 && readsWhole(gb18030, bytes) ? gb18030 : utf8;
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
