#include "statistics.h"

namespace Statistics {

QString countText(int count)
{
    return QString::number(count, 10) + QStringLiteral(" 个");
}

QString priceText(int created, int decoded)
{
    const qint64 sum = qint64(created) + decoded;
    return QStringLiteral("%1 * 0.004 = %2元").arg(sum).arg(double(sum) * 0.004);
}

} // namespace Statistics
