#include "tests/support/screens.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace bw::test {

QString saveScreen(QWidget& widget, const QString& name) {
    // The executables run from <build>/bin; the pictures go beside it.
    QDir dir(QCoreApplication::applicationDirPath());
    dir.cdUp();
    if (!dir.mkpath(QStringLiteral("screens")))
        return {};
    const QString file = dir.filePath(QStringLiteral("screens/") + name + QStringLiteral(".png"));
    return widget.grab().save(file, "PNG") ? file : QString();
}

} // namespace bw::test
