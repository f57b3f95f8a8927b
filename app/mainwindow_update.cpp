// The update check at start-up and the version badge.
#include "mainwindow.h"

#include "helpers.h"
#include "jsonvalues.h"
#include "statefiles.h"
#include "ui_mainwindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QUrl>

namespace {

const char kDefaultUpdateNotice[] = "发现新版本，为确保信息安全请更新软件再使用";

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
    QByteArray body = reply->readAll();
    const int nul = body.indexOf('\0');
    if (nul >= 0)
        body.truncate(nul);
    const QString text = QString::fromUtf8(body);
    if (text.isEmpty())
        return;

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return;
    const QJsonObject object = document.object();
    const int updateFlag = JsonValues::wholeNumber(object.value(QStringLiteral("is_update")));
    const QString updateMessage = JsonValues::text(object.value(QStringLiteral("update_msg")));
    const QJsonValue tools = object.value(QStringLiteral("tools_data"));

    if (tools.isArray() && !tools.toArray().isEmpty())
        writeStateFile(cacheDirPath, StateFile::UpdateReply, text);

    showVersionBadge(updateFlag);

    const QString message = updateMessage.isEmpty() ? QString::fromUtf8(kDefaultUpdateNotice) : updateMessage;
    if (updateFlag == 1) {
        showMessage(message);
    } else if (updateFlag == 2) {
        // An update the user must install: the box's only button closes the window.
        showMessageBox(message, QStringLiteral("关 闭"));
        close();
    }
}
