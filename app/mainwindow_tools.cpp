// The web tools page: one button per tool, four to a row.
#include "mainwindow.h"

#include "helpers.h"
#include "jsonvalues.h"
#include "statefiles.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalMapper>
#include <QUrl>

QString MainWindow::toolsDocumentText() const
{
    const QString stored = readStateFile(cacheDirPath, StateFile::UpdateReply);
    if (!stored.isEmpty())
        return stored;
    return readTextFile(QStringLiteral(":/cache/cache/tab_tools.json"));
}

int MainWindow::buildToolsPage()
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(toolsDocumentText().toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return 0;
    const QJsonObject object = document.object();
    const int updateFlag = JsonValues::wholeNumber(object.value(QStringLiteral("is_update")));

    toolsMapper = new QSignalMapper(this);
    const QJsonValue tools = object.value(QStringLiteral("tools_data"));
    const QJsonArray list = tools.isArray() ? tools.toArray() : QJsonArray();
    for (int index = 0; index < list.size(); ++index) {
        const QJsonObject tool = list.at(index).toObject();
        auto *button = new QPushButton(JsonValues::text(tool.value(QStringLiteral("name"))));
        connect(button, &QPushButton::clicked, toolsMapper, qOverload<>(&QSignalMapper::map), Qt::DirectConnection);
        toolsMapper->setMapping(button, JsonValues::text(tool.value(QStringLiteral("url"))));
        ui->toolsGridLayout->addWidget(button, index / 4, index % 4);
    }
    connect(toolsMapper, &QSignalMapper::mappedString, this, &MainWindow::slot_gridButtons_clicked);
    return updateFlag;
}

void MainWindow::slot_gridButtons_clicked(QString text)
{
    // The list may come from the network: only web addresses are opened.
    const QUrl url(text, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return;
    QDesktopServices::openUrl(url);
}
