// The update check at start-up and the version badge.
#include "mainwindow.h"

#include "helpers.h"
#include "jsonvalues.h"
#include "statefiles.h"
#include "updatereply.h"
#include "ui_mainwindow.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QUrl>

namespace {

QString updateBaseUrl()
{
    const QByteArray configured = qgetenv("VOPA_UPDATE_URL");
    if (!configured.isEmpty())
        return QString::fromUtf8(configured);
    return QStringLiteral(VOPA_UPDATE_BASE_URL);
}

QString systemDescription()
{
    return QStringList{QSysInfo::productType(), QSysInfo::productVersion(), QSysInfo::buildCpuArchitecture(),
                       QSysInfo::currentCpuArchitecture()}
        .join(QLatin1Char(','));
}

} // namespace

void MainWindow::showVersionBadge(int updateFlag)
{
    const QString file = updateFlag == 0 ? QStringLiteral(":/images/images/v-icon.gif")
                                         : QStringLiteral(":/images/images/vnew-icon.gif");
    auto *movie = new QMovie(file);
    ui->versionImgLabel->setMovie(movie);
    movie->start();
    delete badgeMovie;
    badgeMovie = movie;
}

void MainWindow::checkUpdate()
{
    QString cacheTime;
    const QString stored = readStateFile(cacheDirPath, StateFile::UpdateReply);
    if (!stored.isEmpty()) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(stored.toUtf8(), &error);
        if (error.error == QJsonParseError::NoError && document.isObject())
            cacheTime = JsonValues::text(document.object().value(QStringLiteral("dateline")));
    }

    manager = new QNetworkAccessManager(this);
    // The stored value is the service's own text: encoded whole so that it
    // stays one query value whatever it holds.
    QUrl url(updateBaseUrl() + QStringLiteral("/Updatecheck.html"), QUrl::TolerantMode);
    url.setQuery(QStringLiteral("cachetime=") + QString::fromLatin1(QUrl::toPercentEncoding(cacheTime)),
                 QUrl::TolerantMode);
    QNetworkRequest request(url);
    request.setRawHeader("vopaversion", QByteArray(kProgramVersion));
    request.setRawHeader("vopasysinfo", systemDescription().toUtf8());

    connect(manager, &QNetworkAccessManager::finished, this, &MainWindow::ucReplyFinished);
    manager->get(request);
}

void MainWindow::ucReplyFinished(QNetworkReply *reply)
{
    if (!reply || reply->error() != QNetworkReply::NoError)
        return;
    const UpdateReply update = readUpdateReply(reply->readAll());
    if (!update.valid)
        return;
    if (update.storesTools)
        writeStateFile(cacheDirPath, StateFile::UpdateReply, update.text);
    showVersionBadge(update.updateFlag);
    if (update.updateFlag == 1) {
        showMessage(update.message);
    } else if (update.updateFlag == 2) {
        // An update the user must install: the box's only button closes the window.
        showMessageBox(update.message, QStringLiteral("关 闭"));
        close();
    }
}
