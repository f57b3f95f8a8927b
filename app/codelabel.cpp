#include "codelabel.h"

#include "fileread.h"
#include "helpers.h"

#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMovie>

namespace {

void releaseMovie(QLabel *label, QMovie *movie)
{
    if (movie && movie->parent() == label) {
        movie->stop();
        movie->deleteLater();
    }
}

} // namespace

bool showCodeFile(QLabel *label, const QString &path, const QSize &box)
{
    QMovie *previous = label->movie();
    if (fileSuffix(path) == QLatin1String("gif")) {
        auto *movie = new QMovie(label);
        // The file stays open for as long as the movie plays it.
        auto *file = new QFile(movie);
        if (openForReading(file, path, ReadLimit::Picture))
            movie->setDevice(file);
        if (box.isValid())
            movie->setScaledSize(box);
        label->setMovie(movie);
        movie->start();
        releaseMovie(label, previous);
        return true;
    }
    QFile file;
    QImage image;
    if (openForReading(&file, path, ReadLimit::Picture))
        image = QImageReader(&file).read();
    if (image.isNull())
        return false;
    if (box.isValid())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::FastTransformation);
    label->clear();
    releaseMovie(label, previous);
    label->setPixmap(QPixmap::fromImage(image));
    return true;
}
