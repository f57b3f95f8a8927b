// The tab bar's look and the web tools page.
#include "customtabstyle.h"
#include "helpers.h"
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QGridLayout>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

namespace {

// A stored reply whose list holds odd entries and addresses that must not open.
const char kStoredTools[] =
    R"j({"tools_data":[{"name":"一","url":"https://one.example/"},"plain",{"name":"f","url":"file:///etc/passwd"},)j"
    R"j({"name":"j","url":"javascript:alert(1)"},{"name":"五"},{"name":"d","url":"data:text/html,x"},)j"
    R"j({"name":"h","url":"http://"},{"name":"ok","url":"HTTPS://Upper.Example/x"}]})j";

int countColour(const QImage &image, const QRect &rect, QRgb colour)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += image.pixel(x, y) == (colour | 0xff000000);
    return n;
}

// The tool buttons in grid order, four to a row.
QList<QPushButton *> toolButtons(Ui::MainWindow *ui)
{
    QList<QPushButton *> buttons;
    for (int row = 0; row < ui->toolsGridLayout->rowCount(); ++row)
        for (int column = 0; column < 4; ++column)
            if (QLayoutItem *item = ui->toolsGridLayout->itemAtPosition(row, column))
                buttons << qobject_cast<QPushButton *>(item->widget());
    return buttons;
}

} // namespace

class TestShellPages : public QObject
{
    Q_OBJECT

    PageFixture m_page;

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void tabLook()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTabBar *bar = window.form()->tabWidget->tabBar();
        const QRgb dark = qRgb(0x33, 0x33, 0x33), white = qRgb(0xff, 0xff, 0xff), blue = qRgb(0x34, 0x98, 0xdb);
        for (int current : {0, 5}) {
            window.form()->tabWidget->setCurrentIndex(current);
            QImage image(bar->size(), QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            bar->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            for (int i = 0; i < bar->count(); ++i) {
                const QRect rect = bar->tabRect(i);
                QCOMPARE(rect.size(), QSize(90, 40));
                // The current tab: a dark block with a white title; the style
                // pages' titles blue, the others dark, on nothing.
                const bool style = i >= 4 && i <= 8;
                const QRgb ink = i == current ? white : (style ? blue : dark);
                QVERIFY2(countColour(image, rect, ink) > 20, qPrintable(QString("tab %1 of %2").arg(i).arg(current)));
                QCOMPARE(image.pixel(rect.topLeft() + QPoint(1, 1)), i == current ? dark : 0u);
            }
        }
        // Only the exact titles are blue.
        QTabBar loose;
        CustomTabStyle look;
        loose.setStyle(&look);
        loose.addTab(QStringLiteral("标准样式 "));
        loose.resize(loose.sizeHint());
        QImage image(loose.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        loose.render(&image);
        QCOMPARE(countColour(image, loose.tabRect(0), blue), 0);
    }

    void toolsPage()
    {
        // No stored reply: the built-in twelve, each opening its address.
        {
            MainWindow window;
            const QList<QPushButton *> buttons = toolButtons(window.form());
            const QJsonArray builtIn = QJsonDocument::fromJson(readTextFile(":/cache/cache/tab_tools.json").toUtf8())
                                           .object().value("tools_data").toArray();
            QCOMPARE(buttons.size(), 12);
            for (int i = 0; i < 12; ++i) {
                QCOMPARE(buttons.at(i)->text(), builtIn.at(i)["name"].toString());
                buttons.at(i)->click();
                QCOMPARE(m_page.urls.opened.value(i), QUrl(builtIn.at(i)["url"].toString()));
            }
        }
        // A stored list: odd entries keep their place; nothing but http and https opens.
        m_page.urls.opened.clear();
        QVERIFY(writeTextFile(m_page.file("check.cache"), QString::fromUtf8(kStoredTools), false));
        {
            MainWindow window;
            const QList<QPushButton *> buttons = toolButtons(window.form());
            QCOMPARE(buttons.size(), 8);
            QCOMPARE(buttons.at(1)->text(), QString());
            QCOMPARE(buttons.at(4)->text(), QStringLiteral("五"));
            for (QPushButton *button : buttons)
                button->click();
            QCOMPARE(m_page.urls.opened, (QList<QUrl>{QUrl("https://one.example/"), QUrl("https://upper.example/x")}));
        }
        // A damaged stored reply: an empty page, no fallback to the built-in list.
        QVERIFY(writeTextFile(m_page.file("check.cache"), QStringLiteral("{\"tools_data\":[{\"name\":"), false));
        MainWindow window;
        QVERIFY(toolButtons(window.form()).isEmpty());
    }
};

QTEST_MAIN(TestShellPages)
#include "tst_shellpages.moc"
