// The look of the main window's page tabs: every tab 90 by 40 pixels, no tab
// frame, the current tab a dark block with white text, the style pages'
// titles in blue and the others in dark grey.
#ifndef VOPA_CUSTOMTABSTYLE_H
#define VOPA_CUSTOMTABSTYLE_H

#include <QProxyStyle>

class CustomTabStyle : public QProxyStyle
{
public:
    CustomTabStyle() = default;
    ~CustomTabStyle() override = default;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
};

#endif
