#include "windowfixture.h"

#include "helpers.h"

#include <QDesktopServices>

void PageFixture::enter()
{
    cwd.enter();
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
    for (const char *scheme : {"http", "https", "file", "ftp", "mailto", "javascript", "data", ""})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    cwd.leave();
}
