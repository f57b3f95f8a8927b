#include "windowfixture.h"

#include "helpers.h"

void PageFixture::enter()
{
    cwd.enter();
    messages.clear();
    buttons.clear();
    requests.clear();
    answers.clear();
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
    cwd.leave();
}
