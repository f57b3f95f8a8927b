#include "customtabstyle.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QTextOption>

void CustomTabStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                 const QWidget *widget) const
{
    if (element == CE_TabBarTab) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    if (element != CE_TabBarTabLabel)
        return;
    const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
    if (!tab)
        return;
    if (tab->state & State_Selected) {
        painter->save();
        painter->setPen(QColor(0x33, 0x33, 0x33));
        painter->setBrush(QBrush(QColor(0x33, 0x33, 0x33), Qt::SolidPattern));
        painter->drawRect(tab->rect);
        painter->restore();
        painter->setPen(QColor(0xFF, 0xFF, 0xFF));
    } else {
        static const QStringList styleTitles = {QStringLiteral("标准样式"), QStringLiteral("视觉样式"),
                                                QStringLiteral("色调样式"), QStringLiteral("矢量样式"),
                                                QStringLiteral("轮廓样式")};
        painter->setPen(styleTitles.contains(tab->text) ? QColor(0x34, 0x98, 0xDB) : QColor(0x33, 0x33, 0x33));
    }
    QTextOption textOption;
    textOption.setAlignment(Qt::AlignCenter);
    painter->drawText(QRectF(tab->rect), tab->text, textOption);
}

QSize CustomTabStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                       const QWidget *widget) const
{
    const QSize base = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_TabBarTab)
        return QSize(90, 40);
    return base;
}
