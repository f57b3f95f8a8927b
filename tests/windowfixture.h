// The seams of a page suite, set up once per test: a fresh working directory
// (the cache directory), the dialogs answered from a queue, and the message
// boxes recorded instead of shown.
#ifndef VOPA_WINDOWFIXTURE_H
#define VOPA_WINDOWFIXTURE_H

#include "dialogs.h"
#include "testsupport.h"

#include <QList>
#include <QStringList>

class PageFixture
{
public:
    // From the suite's init() and cleanup().
    void enter();
    void leave();

    QString file(const QString &name) const { return cwd.file(name); }

    TestCwd cwd;
    QStringList messages;            // the text of every box
    QStringList buttons;             // its button text, in the same order
    QList<Dialogs::Request> requests; // every dialog asked
    QStringList answers;             // the next dialogs' answers; none left means cancel
};

#endif
