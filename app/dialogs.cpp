#include "dialogs.h"

#include <QColorDialog>
#include <QFileDialog>

namespace Dialogs {

namespace {

Provider &provider()
{
    static Provider instance;
    return instance;
}

} // namespace

void setProvider(Provider value)
{
    provider() = std::move(value);
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
{
    if (provider())
        return provider()({Request::OpenFile, caption, directory, filter, QColor()});
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &directory, const QString &filter)
{
    if (provider())
        return provider()({Request::SaveFile, caption, directory, filter, QColor()});
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}

QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &directory)
{
    if (provider())
        return provider()({Request::ExistingDirectory, caption, directory, QString(), QColor()});
    return QFileDialog::getExistingDirectory(parent, caption, directory);
}

QColor getColor(const QColor &initial, QWidget *parent, const QString &caption)
{
    if (provider()) {
        const QString answer = provider()({Request::Color, caption, QString(), QString(), initial});
        return answer.isEmpty() ? QColor() : QColor(answer);
    }
    return QColorDialog::getColor(initial, parent, caption);
}

} // namespace Dialogs
