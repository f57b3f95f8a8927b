#ifndef VOPA_CODELABEL_H
#define VOPA_CODELABEL_H

#include <QSize>
#include <QString>

class QLabel;

// Shows a code file in a label. A file whose suffix is "gif" plays as a movie
// owned by the label, and the movie it replaces is stopped and released; any
// other file is read afresh (the same path is rewritten by every generation,
// so a cached copy would be stale). With a valid `box` a movie is stretched
// to it and a still picture fitted into it with its aspect kept; otherwise
// both keep their own size. A still picture that cannot be read leaves the
// label as it was and gives false.
bool showCodeFile(QLabel *label, const QString &path, const QSize &box);

#endif
