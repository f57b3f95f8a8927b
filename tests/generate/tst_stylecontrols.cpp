// The controls of the five style pages: value labels, colour and image
// pickers, the wheel over a page; the preview dialog and its save-as.
#include "decodefront.h"
#include "helpers.h"
#include "mainwindow.h"
#include "stylepage.h"
#include "ui_mainwindow.h"
#include "windowfixture.h"

#include <QColorDialog>
#include <QDate>
#include <QDialog>
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <qtestspontaneevent.h>

namespace {

// Slider, value label, format (null: the version label), the form's start text.
const QList<std::array<const char *, 4>> kSliders = {
    {"qrsizeSlider", "label_qrsize_px", "%1px ", "300 px "}, {"marginSlider", "label_margin_px", "%1px ", "10 px"},
    {"codespacSlider", "label_codespac_px", "%1px ", "2px "}, {"codefontsizeSlider", "label_codefontsize_px", "%1px ", "12px "},
    {"logoWidthSlider", "label_logo_width_px", "%1px ", "40px "}, {"logoHeightSlider", "label_logo_height_px", "%1px ", "40px "},
    {"verSlider", "label_ver", nullptr, "自动"}, {"vsizeSlider", "label_vsize_px", "%1px ", "300 px"},
    {"vcodefontsizeSlider", "label_vcodefontsize_px", "%1px ", "12px "}, {"vcodespacSlider", "label_vcodespac_px", "%1px ", "2px "},
    {"vverSlider", "label_vver", nullptr, "自动"}, {"bsizeSlider", "label_bsize_px", "%1px ", "300 px"},
    {"bverSlider", "label_bver", nullptr, "自动"}, {"blocksizeSlider", "label_blocksize_px", "%1px ", "17px "},
    {"balphaSlider", "label_balpha", "%1% ", "50% "}, {"bcodefontsizeSlider", "label_bcodefontsize_px", "%1px ", "12px "},
    {"bcodespacSlider", "label_bcodespac_px", "%1px ", "2px "}, {"svg_sizeSlider", "svg_size_px", "%1 px ", "300 px"},
    {"svg_verSlider", "svg_verLabel", nullptr, "自动"}, {"svg_blocksizeSlider", "svg_blocksize_px", "%1 px ", "50 px "},
    {"svg_alphaSlider", "svg_alphaLabel", "%1 % ", "50 % "}, {"svg_codefontsizeSlider", "svg_bcodefontsize_px", "%1 px ", "12 px "},
    {"lksizeSlider", "label_lksize_px", "%1 px ", "300 px"}, {"lkverSlider", "label_lkver", nullptr, "自动"},
    {"lkblocksizeSlider", "label_lkblocksize_px", "%1px ", "5px "}, {"lkborsizeSlider", "label_lkborsize_px", "%1px ", "1px "},
    {"lkalphaSlider", "label_lkalpha", "%1% ", "50% "}, {"lkcodefontsizeSlider", "label_lkcodefontsize_px", "%1px ", "12px "},
    {"lkcodespacSlider", "label_lkcodespac_px", "%1px ", "2px "}};

const QStringList kColourButtons = {
    "tool_bgcolor", "tool_fgcolor", "tool_ptcolor", "tool_inptcolor", "tool_codecolor", "tool_vcodecolor", "tool_block_1",
    "tool_block_0", "tool_bbgcolor", "tool_bcodecolor", "tool_bptcolor", "tool_binptcolor", "tool_svg_block_1",
    "tool_svg_block_0", "tool_svg_bgcolor", "tool_svg_codecolor", "tool_svg_ptcolor", "tool_svg_inptcolor",
    "tool_lk_color", "tool_lkbgcolor", "tool_lkcodecolor"};

// Image button, dialog caption, remembered-folder file.
const QList<std::array<const char *, 3>> kImageButtons = {
    {"tool_logo", "二维码LOGO", "default_dir_logo.cache"}, {"tool_fgimg", "二维码前景图", "default_dir_fgimg.cache"},
    {"tool_bgimg", "二维码背景图", "default_dir_bgimg.cache"}, {"tool_vbgimg", "二维码背景图", "default_dir_vbgimg.cache"},
    {"tool_bbgimg", "二维码背景图", "default_dir_bbgimg.cache"}, {"tool_lkbgimg", "二维码背景图", "default_dir_lkbgimg.cache"}};

// The field a picker button fills: "tool_x" fills "input_x", the vector page's "tool_svg_x" fills "svg_x".
QString fieldOf(const QString &button)
{
    return button.startsWith("tool_svg_") ? button.mid(5) : QString(button).replace("tool_", "input_");
}

// The button looked at when the preview logs, and what was seen.
QAbstractButton *s_probe = nullptr;
QStringList s_seen;

} // namespace

class TestStyleControls : public QObject
{
    Q_OBJECT

    PageFixture m_page;

    // Presses a preview button; the one dialog it opened, with its picture label and button.
    struct Preview
    {
        QDialog *dialog = nullptr;
        QLabel *label = nullptr;
        QPushButton *saveAs = nullptr;
    };
    Preview preview(MainWindow &window, const char *button)
    {
        window.findChild<QAbstractButton *>(button)->click();
        QList<QDialog *> open = window.findChildren<QDialog *>();
        open.erase(std::remove_if(open.begin(), open.end(), [](QDialog *d) { return !d->isVisible(); }), open.end());
        if (open.size() != 1)
            qFatal("%s opened %d dialogs", button, open.size());
        return {open.first(), open.first()->findChild<QLabel *>(), open.first()->findChild<QPushButton *>()};
    }

private slots:
    void init() { m_page.enter(); }
    void cleanup() { m_page.leave(); }

    void valueLabels()
    {
        MainWindow window;
        QCOMPARE(kSliders.size(), 29);
        for (const auto &row : kSliders) {
            const auto expected = [&](int value) {
                if (row[2])
                    return QString::fromUtf8(row[2]).arg(value);
                return value == 0 ? QStringLiteral("自动") : QStringLiteral("版本%1").arg(value);
            };
            auto *slider = window.findChild<QSlider *>(row[0]);
            auto *label = window.findChild<QLabel *>(row[1]);
            QVERIFY2(slider && label, row[0]);
            QCOMPARE(label->text(), QString::fromUtf8(row[3]));
            // Moved and back: the slot's format shows, not the form's start text.
            const int start = slider->value();
            for (int value : {start < slider->maximum() ? start + 1 : start - 1, start}) {
                slider->setValue(value);
                QCOMPARE(label->text(), expected(value));
            }
            for (int value : {slider->minimum() - 1, slider->maximum()}) {
                slider->setValue(value);
                QCOMPARE(label->text(), expected(slider->value()));
            }
        }
        QCOMPARE(window.form()->label_ver->text() + window.form()->label_lkver->text(), QStringLiteral("版本40版本30"));
    }

    void pickers()
    {
        MainWindow window;
        QCOMPARE(kColourButtons.size(), 21);
        for (const QString &name : kColourButtons) {
            auto *button = window.findChild<QAbstractButton *>(name);
            auto *field = window.findChild<QLineEdit *>(fieldOf(name));
            QVERIFY2(button && field && button->text() == QStringLiteral("选颜色..."), qPrintable(name));
            // Empty: starts on black, and the accepted colour is written as lower-case "#rrggbb".
            // No colour named: an invalid start, and cancelling keeps the text.
            m_page.requests.clear();
            m_page.answers = QStringList{"#ABCDEF", QString(), QString()};
            for (const char *text : {"", "no colour", "#FFFFFF"}) {
                field->setText(text);
                button->click();
            }
            QCOMPARE(m_page.requests.size(), 3);
            QCOMPARE(m_page.requests.at(0).kind, Dialogs::Request::Color);
            QCOMPARE(m_page.requests.at(0).color, QColor(Qt::black));
            QVERIFY(!m_page.requests.at(1).color.isValid());
            QCOMPARE(m_page.requests.at(2).color, QColor(Qt::white));
            QCOMPARE(field->text(), QStringLiteral("#FFFFFF"));
            field->clear();
            m_page.answers = QStringList{"#ABCDEF"};
            button->click();
            QCOMPARE(field->text(), QStringLiteral("#abcdef"));
        }

        const QString picture = m_page.file("pics/logo.png");
        for (const auto &row : kImageButtons) {
            auto *button = window.findChild<QAbstractButton *>(row[0]);
            auto *field = window.findChild<QLineEdit *>(fieldOf(row[0]));
            QVERIFY2(button && field, row[0]);
            // Nothing remembered: the home folder; a choice fills the full path and remembers its folder.
            // Then cancelled: the remembered start, nothing changed.
            m_page.requests.clear();
            m_page.answers = QStringList{picture};
            button->click();
            button->click();
            const Dialogs::Request asked = m_page.requests.value(0);
            QCOMPARE(asked.kind, Dialogs::Request::OpenFile);
            QCOMPARE((QStringList{asked.caption, asked.filter, asked.directory, m_page.requests.value(1).directory}),
                     (QStringList{row[1], "Image Files(*.png *.gif *.jpg *.jpeg)", m_page.home(), m_page.file("pics/")}));
            QCOMPARE(field->text(), picture);
            QCOMPARE(readTextFile(m_page.file(row[2])), m_page.file("pics/"));
        }
    }

    void desktopColourDialog()
    {
        // Without a provider the toolkit's dialog runs: no parent, no alpha channel, on the start
        // colour; the colour accepted, or an invalid one when cancelled. (init() sets the provider
        // back for the next test.)
        Dialogs::setProvider(nullptr);
        for (const QColor &answer : {QColor("#3a7b5c"), QColor()}) {
            QStringList seen;
            QTimer answering;
            answering.setSingleShot(true);
            connect(&answering, &QTimer::timeout, [&] {
                auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
                if (!dialog) {
                    seen << "no dialog";
                    return;
                }
                seen << dialog->currentColor().name() << QString::number(dialog->parent() == nullptr)
                     << QString::number(dialog->testOption(QColorDialog::ShowAlphaChannel));
                dialog->setCurrentColor(QColor("#3a7b5c"));
                if (answer.isValid())
                    dialog->accept();
                else
                    dialog->reject();
            });
            answering.start(0);
            QCOMPARE(Dialogs::getColor(QColor("#c01020")), answer);
            QCOMPARE(seen, (QStringList{"#c01020", "1", "0"}));
        }
    }

    void wheelScrollsThePage()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Ui::MainWindow *ui = window.form();
        ui->tabWidget->setCurrentWidget(ui->tab_moban);
        QScrollBar *scroll = ui->proScrollArea->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0);
        const auto wheel = [](QWidget *widget) {
            const QPoint centre = widget->rect().center();
            QWheelEvent event(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            // As from the window system: only such a wheel event travels on to the parents
            // (sendEvent would mark it as the program's own).
            QSpontaneKeyEvent::setSpontaneous(&event);
            qApp->notify(widget, &event);
        };
        wheel(ui->select_level);
        wheel(ui->codefontsizeSlider);
        QCOMPARE(ui->select_level->currentIndex(), 0);
        QCOMPARE(ui->codefontsizeSlider->value(), 12);
        QVERIFY(scroll->value() > 0);
        // Once focused by a click or Tab, the control takes the wheel.
        QApplication::setActiveWindow(&window);
        ui->select_level->setFocus();
        QTRY_VERIFY(ui->select_level->hasFocus());
        wheel(ui->select_level);
        QCOMPARE(ui->select_level->currentIndex(), 1);
    }

    void previewGeometry()
    {
        // A screen that holds every dialog below at the size the sliders or the background give.
        Dialogs::setAvailableArea(QRect(0, 0, 1920, 1200));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        Preview shown = preview(window, "preview_qrcode");
        QCOMPARE(shown.dialog->windowTitle() + shown.saveAs->text(), QStringLiteral("预览二维码另存为"));
        QCOMPARE(shown.dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(shown.label->geometry(), QRect(0, 0, 300, 300));
        // Closing it releases it.
        QPointer<QDialog> closed = shown.dialog;
        closed->close();
        QTRY_VERIFY(!closed);

        // The dialog and its button, from the sliders before the renderer's clamps, or from the background.
        const auto geometry = [&](const char *button) {
            const Preview shown = preview(window, button);
            const QList<QRect> result{shown.dialog->rect(), shown.saveAs->geometry()};
            shown.dialog->close();
            return result;
        };
        QCOMPARE(geometry("preview_qrcode"), (QList<QRect>{{0, 0, 300, 340}, {0, 300, 300, 40}}));
        ui->checkBox_iscode->setChecked(true);
        ui->codefontsizeSlider->setValue(14);
        QCOMPARE(geometry("preview_qrcode"), (QList<QRect>{{0, 0, 300, 368}, {0, 328, 300, 40}}));
        // The vector page is always a PNG, its PDF box checked or not.
        ui->checkBox_svg_iscode->setChecked(true);
        ui->checkBox_svg_ispdf->setChecked(true);
        ui->svg_codefontsizeSlider->setValue(300);
        QCOMPARE(geometry("preview_svg_qrcode"), (QList<QRect>{{0, 0, 300, 940}, {0, 900, 300, 40}}));
        QCOMPARE(readTextFile(m_page.file("pretest_last.cache")), m_page.file("pretest_svg.png"));
        QVERIFY(TestSupport::writeBytes(m_page.file("broken.jpeg"), "no picture"));
        ui->input_bgimg->setText(m_page.file("broken.jpeg"));
        ui->checkBox_iscode->setChecked(false);
        ui->qrsizeSlider->setValue(250);
        QCOMPARE(geometry("preview_qrcode"), (QList<QRect>{{0, 0, 250, 290}, {0, 250, 250, 40}}));

        // An animated background: a GIF preview of its size, a running movie that goes with the dialog.
        QVERIFY(TestSupport::writeAnimatedBackground(m_page.file("bg.gif"), QSize(420, 380), {100, 100}));
        ui->input_bgimg->setText(m_page.file("bg.gif"));
        shown = preview(window, "preview_qrcode");
        QCOMPARE((QList<QRect>{shown.dialog->rect(), shown.saveAs->geometry()}),
                 (QList<QRect>{{0, 0, 420, 420}, {0, 380, 420, 40}}));
        QPointer<QMovie> movie = shown.label->movie();
        QVERIFY(movie && movie->state() == QMovie::Running);
        QCOMPARE(readTextFile(m_page.file("pretest_last.cache")), m_page.file("pretest.gif"));
        shown.saveAs->click();
        QVERIFY(m_page.requests.last().directory.endsWith(".gif"));
        closed = shown.dialog;
        closed->close();
        QTRY_VERIFY(!closed && !movie);
    }

    void previewOnASmallScreen()
    {
        // A 1,200 by 1,200 background on a 1,280 by 1,024 screen: the picture is scaled to fit with its
        // aspect, the button under it on the screen; the saved copy is the full picture.
        Dialogs::setAvailableArea(QRect(0, 24, 1280, 1024));
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        ui->qrcodeText->setPlainText(QStringLiteral("small screen"));
        QVERIFY(TestSupport::writeSolid(m_page.file("big.png"), QSize(1200, 1200), QColor("#f4f4f4"), "PNG"));
        QVERIFY(TestSupport::writeAnimatedBackground(m_page.file("big.gif"), QSize(1200, 1200), {100, 100}));
        QVERIFY(TestSupport::writeSolid(m_page.file("wide.png"), QSize(2000, 500), QColor("#f4f4f4"), "PNG"));
        const QList<std::tuple<QString, QPoint, QRect, QRect>> cases = {
            {"big.png", {450, 450}, {0, 0, 936, 976}, {0, 936, 936, 40}},
            {"big.gif", {450, 450}, {0, 0, 936, 976}, {0, 936, 936, 40}},
            {"wide.png", {850, 100}, {0, 0, 1264, 356}, {0, 316, 1264, 40}}};
        for (const auto &[background, place, dialog, button] : cases) {
            ui->input_bgimg->setText(m_page.file(background));
            ui->input_bgx->setText(QString::number(place.x()));
            ui->input_bgy->setText(QString::number(place.y()));
            const Preview shown = preview(window, "preview_qrcode");
            QCOMPARE(shown.dialog->rect(), dialog);
            QCOMPARE(shown.saveAs->geometry(), button);
            QCOMPARE(shown.label->geometry(), QRect(0, 0, button.width(), button.top()));
            const QImage picture = shown.label->movie() ? shown.label->movie()->currentImage()
                                                        : shown.label->pixmap(Qt::ReturnByValue).toImage();
            QCOMPARE(picture.size(), QSize(button.width(), button.top()));
            QCOMPARE(decodeImageText(picture, true), QStringLiteral("small screen"));
            // "另存为" copies the full-size preview file.
            const QString saved = m_page.file("saved." + QFileInfo(background).suffix());
            m_page.answers = QStringList{saved};
            shown.saveAs->click();
            QCOMPARE(TestSupport::readBytes(saved), TestSupport::readBytes(readTextFile(m_page.file("pretest_last.cache"))));
            QCOMPARE(QImageReader(saved).size(), QImageReader(m_page.file(background)).size());
            shown.dialog->close();
        }
        // What fits keeps its size: a 420 by 420 background gives 420 by 460.
        QVERIFY(TestSupport::writeSolid(m_page.file("fits.png"), QSize(420, 420), QColor("#f4f4f4"), "PNG"));
        ui->input_bgimg->setText(m_page.file("fits.png"));
        ui->input_bgx->setText("60");
        ui->input_bgy->setText("60");
        const Preview fits = preview(window, "preview_qrcode");
        QCOMPARE(fits.dialog->rect(), QRect(0, 0, 420, 460));
        QCOMPARE(fits.label->pixmap(Qt::ReturnByValue).size(), QSize(420, 420));
        fits.dialog->close();
        // The area is read from the program's own screen when none is set: the offscreen 800 by 600.
        Dialogs::setAvailableArea(QRect());
        QCOMPARE(StylePage::previewArea(QSize(300, 940), Dialogs::availableArea(&window)), QSize(163, 512));
        QCOMPARE(StylePage::previewArea(QSize(300, 340), Dialogs::availableArea(&window)), QSize(300, 340));
    }

    void previewContent()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // Every page previews the single-generate text into its own file, recorded as the last preview.
        const QString text = QStringLiteral("预览 of every page");
        ui->qrcodeText->setPlainText(text);
        // The contour look at its start values is outlines too thin to read at this size: full dots.
        ui->lkblocksizeSlider->setValue(50);
        for (const auto &page : QList<QPair<const char *, QString>>{{"preview_qrcode", ""}, {"preview_vqrcode", "_visual"},
                 {"preview_bqrcode", "_bsd"}, {"preview_lkqrcode", "_lunkuo"}, {"preview_svg_qrcode", "_svg"}}) {
            const Preview shown = preview(window, page.first);
            const QString file = m_page.file("pretest" + page.second + ".png");
            QCOMPARE(readTextFile(m_page.file("pretest_last.cache")), file);
            const QImage picture = shown.label->pixmap(Qt::ReturnByValue).toImage();
            QCOMPARE(picture.size(), QImageReader(file).size());
            QVERIFY2(decodeImageText(picture, true) == text, qPrintable(file));
            shown.dialog->close();
        }

        // No text: the sample address; the caption band only with its box checked.
        ui->qrcodeText->clear();
        for (bool caption : {false, true}) {
            ui->checkBox_iscode->setChecked(caption);
            preview(window, "preview_qrcode").dialog->close();
            const QImage picture = QImageReader(m_page.file("pretest.png")).read();
            QCOMPARE(picture.height(), caption ? 324 : 300);
            QVERIFY(decodeImageText(picture, true).endsWith("?test=pc"));
        }
    }

    void previewFailureAndSaveAs()
    {
        MainWindow window;
        Ui::MainWindow *ui = window.form();
        // A text no version holds: the failure in the dialog, its button there, nothing recorded;
        // its save-as, with no preview ever made, tells so and opens no dialog.
        const QString tooLong(4000, QLatin1Char('x'));
        ui->qrcodeText->setPlainText(tooLong);
        Preview shown = preview(window, "preview_qrcode");
        QCOMPARE(shown.label->text(), QStringLiteral("生成二维码失败，请重试"));
        QVERIFY(!QFile::exists(m_page.file("pretest_last.cache")));
        shown.saveAs->click();
        QCOMPARE(m_page.messages, QStringList{"预览图无效，请重试"});
        QVERIFY(m_page.requests.isEmpty());
        shown.dialog->close();

        // The preview button is off while the render runs (the tone page logs its file in between).
        ui->qrcodeText->setPlainText("kept");
        s_probe = ui->preview_bqrcode;
        s_seen.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
            s_seen << text + (s_probe->isEnabled() ? " on" : " off");
        });
        shown = preview(window, "preview_bqrcode");
        qInstallMessageHandler(previous);
        const QString last = m_page.file("pretest_bsd.png");
        QCOMPARE(s_seen, QStringList{last + " off"});
        QVERIFY(ui->preview_bqrcode->isEnabled());
        QCOMPARE(readTextFile(m_page.file("pretest_last.cache")), last);
        shown.dialog->close();

        // A later failure keeps the last good preview, and its save-as copies that one, byte for
        // byte whatever the chosen suffix.
        ui->qrcodeText->setPlainText(tooLong);
        m_page.messages.clear();
        shown = preview(window, "preview_qrcode");
        QCOMPARE(readTextFile(m_page.file("pretest_last.cache")), last);
        m_page.answers << m_page.file("copy.jpg");
        shown.saveAs->click();
        const Dialogs::Request asked = m_page.requests.value(0);
        QCOMPARE(asked.kind, Dialogs::Request::SaveFile);
        QCOMPARE((QStringList{asked.caption, asked.filter, asked.directory}),
                 (QStringList{"图片另存为", "Images (*.png *.gif *.jpg)",
                              m_page.home() + "/vopa_qrcode_" + QDate::currentDate().toString("yyyy_MM_dd") + ".png"}));
        QCOMPARE(TestSupport::readBytes(m_page.file("copy.jpg")), TestSupport::readBytes(last));
        // Onto itself: silent. The preview gone: the copy fails with its message.
        m_page.answers << last;
        shown.saveAs->click();
        QVERIFY(m_page.messages.isEmpty());
        QVERIFY(QFile::remove(last));
        m_page.answers << m_page.file("again.png");
        shown.saveAs->click();
        QCOMPARE(m_page.messages, QStringList{"保存失败，请重试"});
        shown.dialog->close();
    }
};

QTEST_MAIN(TestStyleControls)
#include "tst_stylecontrols.moc"
