#include "dialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

#include <memory>

namespace Dialogs {

namespace {

Provider &provider()
{
    static Provider instance;
    return instance;
}

QRect &setArea()
{
    static QRect area;
    return area;
}

std::unique_ptr<QDialog> hiddenOwner(QWidget *window)
{
    return std::make_unique<QDialog>(window, Qt::Dialog);
}

// The program runs in its hidden state folder, so a dialog with nothing
// remembered starts where the user keeps pictures, never in the working folder.
QString startFolder(const QString &directory)
{
    return directory.isEmpty() ? picturesFolder() : directory;
}

// A proposed bare file name is proposed in that folder.
QString proposedPath(const QString &proposed)
{
    if (proposed.isEmpty() || proposed.contains(QLatin1Char('/')))
        return proposed;
    return picturesFolder() + QLatin1Char('/') + proposed;
}

} // namespace

QString picturesFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures).exists())
        return pictures;
    return QDir::homePath();
}

void setProvider(Provider value)
{
    provider() = std::move(value);
}

QString getOpenFileName(QWidget *window, const QString &caption, const QString &remembered, const QString &filter)
{
    const QString directory = startFolder(remembered);
    if (provider())
        return provider()({Request::OpenFile, caption, directory, filter, QColor()});
    const auto owner = hiddenOwner(window);
    return QFileDialog::getOpenFileName(owner.get(), caption, directory, filter);
}

QString getExistingDirectory(QWidget *window, const QString &caption, const QString &remembered)
{
    const QString directory = startFolder(remembered);
    if (provider())
        return provider()({Request::ExistingDirectory, caption, directory, QString(), QColor()});
    const auto owner = hiddenOwner(window);
    return QFileDialog::getExistingDirectory(owner.get(), caption, directory,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

QString getSaveFileName(QWidget *window, const QString &caption, const QString &proposedName, const QString &filter)
{
    const QString proposed = proposedPath(proposedName);
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

QRect availableArea(const QWidget *window)
{
    if (!setArea().isEmpty())
        return setArea();
    const QScreen *screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void setAvailableArea(const QRect &area)
{
    setArea() = area;
}

} // namespace Dialogs
