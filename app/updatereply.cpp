#include "updatereply.h"

#include "jsonvalues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

UpdateReply readUpdateReply(const QByteArray &body)
{
    UpdateReply reply;
    const int nul = body.indexOf('\0');
    reply.text = QString::fromUtf8(nul < 0 ? body : body.left(nul));
    if (reply.text.isEmpty())
        return reply;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply.text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return reply;
    const QJsonObject object = document.object();
    reply.valid = true;
    reply.updateFlag = JsonValues::wholeNumber(object.value(QStringLiteral("is_update")));
    reply.message = JsonValues::text(object.value(QStringLiteral("update_msg")));
    if (reply.message.isEmpty())
        reply.message = QStringLiteral("发现新版本，为确保信息安全请更新软件再使用");
    const QJsonValue tools = object.value(QStringLiteral("tools_data"));
    reply.storesTools = tools.isArray() && !tools.toArray().isEmpty();
    return reply;
}
