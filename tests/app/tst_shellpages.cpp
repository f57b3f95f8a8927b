// The tab bar's look and the web tools page.
#include "customtabstyle.h"
#include "helpers.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QtTest>

// Receives every address the program hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

namespace {

int countColour(const QImage &image, const QRect &rect, QRgb colour)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff) && qAlpha(image.pixel(x, y)) == 255;
    return n;
}

// The tool buttons of the page, by their cell in the grid.
QMap<QPair<int, int>, QPushButton *> toolButtons(Ui::MainWindow *ui)
{
    QMap<QPair<int, int>, QPushButton *> cells;
    for (int i = 0; i < ui->toolsGridLayout->count(); ++i) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        ui->toolsGridLayout->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        cells.insert({row, column}, qobject_cast<QPushButton *>(ui->toolsGridLayout->itemAt(i)->widget()));
    }
    return cells;
}

} // namespace

class TestShellPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *scheme : {"http", "https", "file", "ftp", "mailto", "javascript", "data", ""})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_urls, "open");
    }
    void init()
    {
        m_cwd.enter();
        m_urls.opened.clear();
    }
    void cleanup() { m_cwd.leave(); }

    void tabSizesAndColours();
    void tabStyleDrawsOnlyLabels();
    void builtInTools();
    void storedTools();
    void onlyWebAddressesOpen();

private:
    TestCwd m_cwd;
    UrlCatcher m_urls;
};

void TestShellPages::tabSizesAndColours()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTabBar *bar = window.form()->tabWidget->tabBar();
    QCOMPARE(bar->count(), 11);
    for (int i = 0; i < bar->count(); ++i)
        QCOMPARE(bar->tabRect(i).size(), QSize(90, 40));

    auto paint = [bar] {
        QImage image(bar->size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        bar->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    const QRgb dark = qRgb(0x33, 0x33, 0x33), white = qRgb(0xff, 0xff, 0xff), blue = qRgb(0x34, 0x98, 0xdb);
    const QSet<int> stylePages = {4, 5, 6, 7, 8};
    for (int current : {0, 5}) {
        window.form()->tabWidget->setCurrentIndex(current);
        const QImage image = paint();
        for (int i = 0; i < bar->count(); ++i) {
            const QRect rect = bar->tabRect(i);
            const QString tab = QStringLiteral("tab %1 with %2 current").arg(i).arg(current);
            if (i == current) {
                // A dark block over the whole tab, the title in white.
                QCOMPARE(image.pixel(rect.topLeft() + QPoint(1, 1)), dark);
                QCOMPARE(image.pixel(rect.bottomRight() - QPoint(1, 1)), dark);
                QVERIFY2(countColour(image, rect, white) > 20, qPrintable(tab));
                continue;
            }
            const QRgb ink = stylePages.contains(i) ? blue : dark;
            const QRgb other = stylePages.contains(i) ? dark : blue;
            QVERIFY2(countColour(image, rect, ink) > 20, qPrintable(tab + " has no title in its colour"));
            // (The current tab's outline reaches one pixel into its neighbours.)
            QVERIFY2(countColour(image, rect.adjusted(0, 2, 0, -2), other) == 0,
                     qPrintable(tab + " has a title in the wrong colour"));
            QCOMPARE(qAlpha(image.pixel(rect.topLeft() + QPoint(1, 1))), 0);
        }
    }

    // Only the exact titles are blue.
    QTabBar loose;
    CustomTabStyle style;
    loose.setStyle(&style);
    loose.addTab(QStringLiteral("当前"));
    loose.addTab(QStringLiteral("标准样式 "));
    loose.addTab(QStringLiteral("矢量样式"));
    loose.resize(loose.sizeHint());
    QImage image(loose.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    loose.render(&image);
    QCOMPARE(countColour(image, loose.tabRect(1), blue), 0);
    QVERIFY(countColour(image, loose.tabRect(1), dark) > 20);
    QVERIFY(countColour(image, loose.tabRect(2), blue) > 20);
}

void TestShellPages::tabStyleDrawsOnlyLabels()
{
    CustomTabStyle style;
    QImage image(120, 60, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QImage blank = image;
    QPainter painter(&image);
    QStyleOptionTab tab;
    tab.rect = QRect(0, 0, 90, 40);
    tab.text = QStringLiteral("标准样式");
    tab.state = QStyle::State_Selected | QStyle::State_Enabled;
    // The shape of a tab paints nothing, nor does a label without a tab option.
    style.drawControl(QStyle::CE_TabBarTabShape, &tab, &painter);
    QStyleOption plain;
    plain.rect = tab.rect;
    plain.state = QStyle::State_Selected;
    style.drawControl(QStyle::CE_TabBarTabLabel, &plain, &painter);
    painter.end();
    QCOMPARE(image, blank);

    // Every tab, whatever its text, is 90 by 40; other sizes are the base style's.
    QStyleOptionTab longTitle;
    longTitle.text = QStringLiteral("一个很长很长很长的标题");
    QCOMPARE(style.sizeFromContents(QStyle::CT_TabBarTab, &longTitle, QSize(300, 20), nullptr), QSize(90, 40));
    QStyleOptionButton button;
    button.text = QStringLiteral("按钮");
    QCOMPARE(style.sizeFromContents(QStyle::CT_PushButton, &button, QSize(40, 20), nullptr),
             QProxyStyle().sizeFromContents(QStyle::CT_PushButton, &button, QSize(40, 20), nullptr));
}

void TestShellPages::builtInTools()
{
    // No stored reply: the built-in list of twelve, three full rows of four.
    MainWindow window;
    const auto cells = toolButtons(window.form());
    QCOMPARE(cells.size(), 12);
    const QJsonArray builtIn = QJsonDocument::fromJson(readTextFile(":/cache/cache/tab_tools.json").toUtf8())
                                   .object().value("tools_data").toArray();
    QCOMPARE(builtIn.size(), 12);
    for (int i = 0; i < 12; ++i) {
        QPushButton *button = cells.value({i / 4, i % 4});
        QVERIFY(button);
        const QJsonObject tool = builtIn.at(i).toObject();
        QCOMPARE(button->text(), tool.value("name").toString());
        QVERIFY(tool.value("url").toString().startsWith("https://"));
        QVERIFY(!tool.value("name").toString().isEmpty());
        button->click();
        QCOMPARE(m_urls.opened.size(), i + 1);
        QCOMPARE(m_urls.opened.last(), QUrl(tool.value("url").toString()));
    }
}

void TestShellPages::storedTools()
{
    // A stored list of five with a plain string second: a captionless button
    // that opens nothing; the others keep their places and addresses.
    const QString stored = QStringLiteral(
        R"({"is_update":0,"tools_data":[{"name":"一","url":"https://one.example/"},"plain",)"
        R"({"name":"三","url":"http://three.example/a?b=1"},{"name":"四","url":"https://one.example/"},)"
        R"({"name":"五"}]})");
    QVERIFY(writeTextFile(m_cwd.file("check.cache"), stored, false));
    {
        MainWindow window;
        const auto cells = toolButtons(window.form());
        QCOMPARE(cells.size(), 5);
        QCOMPARE(cells.value({0, 0})->text(), QStringLiteral("一"));
        QCOMPARE(cells.value({0, 1})->text(), QString());
        QCOMPARE(cells.value({0, 3})->text(), QStringLiteral("四"));
        QCOMPARE(cells.value({1, 0})->text(), QStringLiteral("五"));
        cells.value({0, 1})->click();
        cells.value({1, 0})->click();
        QVERIFY(m_urls.opened.isEmpty());
        cells.value({0, 2})->click();
        cells.value({0, 3})->click();
        QCOMPARE(m_urls.opened, (QList<QUrl>{QUrl("http://three.example/a?b=1"), QUrl("https://one.example/")}));
    }
    // A damaged stored reply, or one without a list: an empty page, no fallback.
    for (const QString &text : {QStringLiteral("{\"tools_data\":[{\"name\":"), QStringLiteral("[1,2]"),
                                QStringLiteral("{\"is_update\":1}")}) {
        QVERIFY(writeTextFile(m_cwd.file("check.cache"), text, false));
        MainWindow window;
        QVERIFY2(toolButtons(window.form()).isEmpty(), qPrintable(text));
    }
}

void TestShellPages::onlyWebAddressesOpen()
{
    // The list may come from the network: nothing but http and https opens.
    const QStringList rejected = {"file:///etc/passwd", "javascript:alert(1)", "ftp://files.example/x",
                                  "mailto:someone@example.com", "data:text/html,<b>x</b>", "not an address",
                                  "", "http://", "https:///path-only"};
    QJsonArray tools;
    for (const QString &url : rejected)
        tools.append(QJsonObject{{"name", url}, {"url", url}});
    tools.append(QJsonObject{{"name", "ok"}, {"url", "HTTPS://Upper.Example/x"}});
    QVERIFY(writeTextFile(m_cwd.file("check.cache"),
                          QString::fromUtf8(QJsonDocument(QJsonObject{{"tools_data", tools}}).toJson()), false));
    MainWindow window;
    const auto cells = toolButtons(window.form());
    QCOMPARE(cells.size(), rejected.size() + 1);
    for (QPushButton *button : cells)
        button->click();
    QCOMPARE(m_urls.opened, QList<QUrl>{QUrl("https://upper.example/x")});
}

QTEST_MAIN(TestShellPages)
#include "tst_shellpages.moc"
