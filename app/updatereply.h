// What the update-check service's reply says, read from its bytes alone, so
// that the reading can be exercised without a network.
#ifndef VOPA_UPDATEREPLY_H
#define VOPA_UPDATEREPLY_H

#include <QByteArray>
#include <QString>

struct UpdateReply
{
    bool valid = false;      // the body, cut at its first NUL, is a JSON object
    int updateFlag = 0;      // "is_update": 1 tells of an update, 2 demands one
    QString message;         // "update_msg", or the built-in notice when it has none
    bool storesTools = false; // "tools_data" is a list that is not empty
    QString text;            // the body as it is stored, when it lists tools
};

UpdateReply readUpdateReply(const QByteArray &body);

#endif
