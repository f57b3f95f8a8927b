// The seams of a page suite, set up once per test: a fresh working directory
// (the cache directory), the dialogs answered from a queue, the message boxes
// and the opened web pages recorded instead of shown.
#ifndef VOPA_WINDOWFIXTURE_H
#define VOPA_WINDOWFIXTURE_H

#include "dialogs.h"
#include "testsupport.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Receives the web pages the program opens instead of a browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class PageFixture
{
public:
    // From the suite's init() and cleanup().
    void enter();
    void leave();

    QString file(const QString &name) const { return cwd.file(name); }
    // The user's home during the test: an empty folder "home" in the cache
    // folder, with no folder settings of its own.
    QString home() const { return cwd.file(QStringLiteral("home")); }

    TestCwd cwd;
    QStringList messages;            // the text of every box
    QStringList buttons;             // its button text, in the same order
    QList<Dialogs::Request> requests; // every dialog asked
    QStringList answers;             // the next dialogs' answers; none left means cancel
    UrlCatcher urls;                 // every address handed to the desktop

private:
    QByteArray m_home, m_config, m_updateUrl;
};

#endif
