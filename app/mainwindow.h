// The one main window: a frameless QMainWindow holding the eleven pages of
// the form, its window chrome, tray, update check and the slots of every page.
// The slots of the decoding pages live in decode/, those of the generation
// pages in generate/.
#ifndef VOPA_MAINWINDOW_H
#define VOPA_MAINWINDOW_H

#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

class BatchCreatePage;
class BatchDecodePage;
class CameraPage;
class Jietu;
class StylePage;
class QButtonGroup;
class QMovie;
class QSignalMapper;
class QMenu;
class QMouseEvent;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QToolButton;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The form, for the pages' code and for tests.
    Ui::MainWindow *form() const { return ui; }
    QToolButton *minimiseButton() const { return minButton; }
    QToolButton *closeWindowButton() const { return closeButton; }
    QButtonGroup *styleButtons() const { return styleGroup; }
    QButtonGroup *batchStyleButtons() const { return batchStyleGroup; }
    QButtonGroup *batchFormatButtons() const { return batchFormatGroup; }
    QTimer *cameraTicker() const { return cameraTimer; }
    Jietu *captureOverlay() const;
    QSystemTrayIcon *trayIconObject() const { return trayIcon; }
    QMenu *trayMenuObject() const { return trayMenu; }
    QMovie *versionBadge() const { return badgeMovie; }
    BatchDecodePage *batchDecode() const { return batchDecodePage; }
    BatchCreatePage *batchCreate() const { return batchCreatePage; }
    CameraPage *camera() const { return cameraPage; }

    // A style page's settings written as its record: "save" writes the style
    // cache, "export" also the export staging file. False when a write failed.
    bool saveProSetting(const QString &mode);
    bool saveVisualSetting(const QString &mode);
    bool saveBsdSetting(const QString &mode);
    bool saveSvgSetting(const QString &mode);
    bool saveLunkuoSetting(const QString &mode);
    // Single generation in the standard, visual, tone and contour styles.
    void createProQrcode();
    void createVisualQrcode();
    void createBsdQrcode();
    void createLunkuoQrcode();

    // Sends the update-check request.
    void checkUpdate();
    // Opens the full-screen capture overlay.
    void startJietu();

signals:
    void new_started(QString jiema_path, QString save_path, QString csv_parse);
    void new_create_started(QString csv_path, QString save_path, QString style_type);

public slots:
    // Window chrome, tray, update check and web tools.
    void slot_minWindow();
    void slot_iconActivated(QSystemTrayIcon::ActivationReason reason);
    void slot_siteAction();
    void slot_pstyleAction();
    void slot_vstyleAction();
    void slot_bstyleAction();
    void ucReplyFinished(QNetworkReply* reply);
    void slot_gridButtons_clicked(QString text);

protected slots:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

public slots:
    // Decoding pages.
    void on_jiemaOneBtn_clicked();
    void on_meihuaBtn_clicked();
    void onCompleteCature(QPixmap captureImage);
    void on_jietuBtn_clicked();
    void slot_cameraopen();
    void on_captureBtn_clicked();
    void on_toolButton_clicked();
    void on_toolButton_2_clicked();
    void on_btnJiema_clicked();
    void slot_thread_started();
    void slot_thread_viewer(QString type, QString message);

    // Generation pages.
    void slot_create_thread_started();
    void slot_create_thread_viewer(QString type, QString message);
    void slot_preview_saveto();
    void on_tabWidget_currentChanged(int index);
    void on_qrenButton_clicked();
    void on_saveQrcodeButton_clicked();
    void on_toolButton_csv_clicked();
    void on_toolButton_qrcode_clicked();
    void on_btnCreate_clicked();
    void on_btnCsvMoban_clicked();
    void on_save_setting_clicked();
    void on_preview_qrcode_clicked();
    void on_exportButton_clicked();
    void on_importButton_clicked();
    void on_resetProButton_clicked();
    void on_tool_bgcolor_clicked();
    void on_tool_fgcolor_clicked();
    void on_tool_codecolor_clicked();
    void on_tool_ptcolor_clicked();
    void on_tool_inptcolor_clicked();
    void on_tool_logo_clicked();
    void on_tool_fgimg_clicked();
    void on_tool_bgimg_clicked();
    void on_qrsizeSlider_valueChanged(int value);
    void on_marginSlider_valueChanged(int value);
    void on_codefontsizeSlider_valueChanged(int value);
    void on_codespacSlider_valueChanged(int value);
    void on_logoWidthSlider_valueChanged(int value);
    void on_logoHeightSlider_valueChanged(int value);
    void on_verSlider_valueChanged(int value);
    void on_vsizeSlider_valueChanged(int value);
    void on_vcodefontsizeSlider_valueChanged(int value);
    void on_vcodespacSlider_valueChanged(int value);
    void on_vverSlider_valueChanged(int value);
    void on_tool_vbgimg_clicked();
    void on_tool_vcodecolor_clicked();
    void on_preview_vqrcode_clicked();
    void on_save_vsetting_clicked();
    void on_vexportButton_clicked();
    void on_vimportButton_clicked();
    void on_resetVisualButton_clicked();
    void on_bsizeSlider_valueChanged(int value);
    void on_bverSlider_valueChanged(int value);
    void on_blocksizeSlider_valueChanged(int value);
    void on_balphaSlider_valueChanged(int value);
    void on_bcodefontsizeSlider_valueChanged(int value);
    void on_bcodespacSlider_valueChanged(int value);
    void on_tool_bbgimg_clicked();
    void on_tool_bptcolor_clicked();
    void on_tool_binptcolor_clicked();
    void on_tool_block_1_clicked();
    void on_tool_block_0_clicked();
    void on_tool_bbgcolor_clicked();
    void on_tool_bcodecolor_clicked();
    void on_preview_bqrcode_clicked();
    void on_save_bsetting_clicked();
    void on_bexportButton_clicked();
    void on_bimportButton_clicked();
    void on_resetBsdButton_clicked();
    void on_svg_sizeSlider_valueChanged(int value);
    void on_svg_verSlider_valueChanged(int value);
    void on_svg_blocksizeSlider_valueChanged(int value);
    void on_svg_alphaSlider_valueChanged(int value);
    void on_svg_codefontsizeSlider_valueChanged(int value);
    void on_tool_svg_ptcolor_clicked();
    void on_tool_svg_inptcolor_clicked();
    void on_tool_svg_block_1_clicked();
    void on_tool_svg_block_0_clicked();
    void on_tool_svg_bgcolor_clicked();
    void on_tool_svg_codecolor_clicked();
    void on_preview_svg_qrcode_clicked();
    void on_save_svg_setting_clicked();
    void on_svg_exportButton_clicked();
    void on_svg_importButton_clicked();
    void on_resetSvgButton_clicked();
    void on_lksizeSlider_valueChanged(int value);
    void on_lkverSlider_valueChanged(int value);
    void on_lkblocksizeSlider_valueChanged(int value);
    void on_lkborsizeSlider_valueChanged(int value);
    void on_lkalphaSlider_valueChanged(int value);
    void on_lkcodefontsizeSlider_valueChanged(int value);
    void on_lkcodespacSlider_valueChanged(int value);
    void on_tool_lk_color_clicked();
    void on_tool_lkbgcolor_clicked();
    void on_tool_lkbgimg_clicked();
    void on_tool_lkcodecolor_clicked();
    void on_preview_lkqrcode_clicked();
    void on_save_lksetting_clicked();
    void on_lkexportButton_clicked();
    void on_lkimportButton_clicked();
    void on_resetLkButton_clicked();

private:
    void setupTray();
    void setupTitleButtons();
    void installTabStyle();
    void showDecodeSample();
    void showLastPreview();
    void setupButtonGroups();
    int buildToolsPage();
    void showVersionBadge(int updateFlag);
    // The text the web tools page and the start-up badge are built from.
    QString toolsDocumentText() const;
    void setupHotKey();
    void setupStylePages();
    // Single generation in one style from its saved record.
    void generateCode(const QString &style);
    // The style page of a style key ("pro", "visual", "bsd", "lunkuo", "svg").
    StylePage *stylePage(const char *key) const;
    // The decode page's picture and result display.
    void showDecodePreview(const QImage &picture);
    void showDecodeResult(const QString &text);

    Ui::MainWindow *ui;
    QNetworkAccessManager *manager;
    bool dragging;
    QPoint dragOffset;
    QString cacheDirPath;
    QPointer<Jietu> jietu;
    QButtonGroup *styleGroup;
    QButtonGroup *batchStyleGroup;
    QButtonGroup *batchFormatGroup;
    QTimer *cameraTimer;
    QMenu *trayMenu;
    QSystemTrayIcon *trayIcon;
    QToolButton *minButton;
    QToolButton *closeButton;
    QSignalMapper *toolsMapper;
    QMovie *badgeMovie;
    BatchDecodePage *batchDecodePage;
    BatchCreatePage *batchCreatePage;
    // The camera and its frame, behind the frame-source seam.
    CameraPage *cameraPage;
    // The five style pages in the order of their tabs.
    QList<StylePage *> stylePages;
};

#endif
