#include "dialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>

#include <memory>

namespace Dialogs {

namespace {

Provider &provider()
{
    static Provider instance;
    return instance;
}

std::unique_ptr<QDialog> hiddenOwner(QWidget *window)
{
    return std::make_unique<QDialog>(window, Qt::Dialog);
}

} // namespace

void setProvider(Provider value)
{
    provider() = std::move(value);
}

QString getOpenFileName(QWidget *window, const QString &caption, const QString &directory, const QString &filter)
{
    if (provider())
        return provider()({Request::OpenFile, caption, directory, filter, QColor()});
    const auto owner = hiddenOwner(window);
    return QFileDialog::getOpenFileName(owner.get(), caption, directory, filter);
}

QString getExistingDirectory(QWidget *window, const QString &caption, const QString &directory)
{
    if (provider())
        return provider()({Request::ExistingDirectory, caption, directory, QString(), QColor()});
    const auto owner = hiddenOwner(window);
    return QFileDialog::getExistingDirectory(owner.get(), caption, directory,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

QString getSaveFileName(QWidget *window, const QString &caption, const QString &proposed, const QString &filter)
{
    if (provider())
        return provider()({Request::SaveFile, caption, proposed, filter, QColor()});
    return QFileDialog::getSaveFileName(window, caption, proposed, filter);
}

QColor getColor(const QColor &initial)
{
    if (provider()) {
        const QString answer = provider()({Request::Color, QString(), QString(), QString(), initial});
        return answer.isEmpty() ? QColor() : QColor(answer);
    }
    return QColorDialog::getColor(initial, nullptr, QString());
}

} // namespace Dialogs
