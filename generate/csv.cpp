#include "csv.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

namespace Csv {

namespace {

QTextCodec *codecNamed(const QString &name)
{
    QTextCodec *codec = name.isEmpty() ? nullptr : QTextCodec::codecForName(name.toLatin1());
    return codec ? codec : QTextCodec::codecForName("UTF-8");
}

bool validUtf8(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

} // namespace

QList<QStringList> readFile(const QString &path, const QString &codecName)
{
    QString text;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        QTextCodec *codec = codecName.isEmpty() ? nullptr : QTextCodec::codecForName(codecName.toLatin1());
        // Chinese spreadsheet programs save CSV in GB18030 (or its subset
        // GBK) without a mark; such bytes are seldom valid UTF-8.
        if (!codec)
            codec = QTextCodec::codecForName(validUtf8(bytes) ? "UTF-8" : "GB18030");
        // A byte-order mark still selects its own Unicode encoding.
        QTextStream stream(bytes);
        stream.setCodec(codec);
        text = stream.readAll();
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
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream stream(&file);
    stream.setCodec(codecNamed(codecName));
    for (const QStringList &row : rows) {
        QStringList fields;
        for (const QString &field : row) {
            const bool enclose = field.contains(QLatin1Char('"')) || field.contains(QLatin1Char(','))
                                 || field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'));
            fields << (enclose ? QLatin1Char('"') + QString(field).replace(QLatin1String("\""), QLatin1String("\"\""))
                                     + QLatin1Char('"')
                               : field);
        }
        stream << fields.join(QLatin1Char(',')) << "\r\n";
    }
    stream.flush();
    return stream.status() == QTextStream::Ok && file.flush();
}

} // namespace Csv
