#include "windowfixture.h"

#include "helpers.h"

#include <QDesktopServices>
#include <QDir>
#include <QTcpServer>

void PageFixture::enter()
{
    cwd.enter();
    // Dialogs with nothing remembered start in the user's folders.
    m_home = qgetenv("HOME");
    m_config = qgetenv("XDG_CONFIG_HOME");
    QDir().mkpath(home());
    qputenv("HOME", QFile::encodeName(home()));
    // The window's update request goes to a port of this machine that nothing
    // listens on: a port just given up by a server of our own.
    m_updateUrl = qgetenv("VOPA_UPDATE_URL");
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    qputenv("VOPA_UPDATE_URL", "http://127.0.0.1:" + QByteArray::number(probe.serverPort()));
    probe.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home() + "/.config"));
    messages.clear();
    buttons.clear();
    requests.clear();
    answers.clear();
    urls.opened.clear();
    for (const char *scheme : {"http", "https", "file", "ftp", "mailto", "javascript", "data", ""})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &urls, "open");
    setMessageSink([this](const QString &text, const QString &button) {
        messages.append(text);
        buttons.append(button);
    });
    Dialogs::setProvider([this](const Dialogs::Request &request) {
        requests.append(request);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    });
}

void PageFixture::leave()
{
    setMessageSink(nullptr);
    Dialogs::setProvider(nullptr);
    Dialogs::setAvailableArea(QRect());
    for (const char *scheme : {"http", "https", "file", "ftp", "mailto", "javascript", "data", ""})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    const auto restore = [](const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("HOME", m_home);
    restore("VOPA_UPDATE_URL", m_updateUrl);
    restore("XDG_CONFIG_HOME", m_config);
    cwd.leave();
}
