#include "app/mainunit.h"

#include <QDir>

#include "platform/appdirs.h"
#include "services/langmanager.h"

TMainUnit MainUnit;

void InitializeMainUnit() {
    MainUnit.AppDir = bw::appDir();
    MainUnit.OptionsFileName = bw::homeDir() + QStringLiteral("Brindlewick.ini");
    MainUnit.ProjectFolder = bw::homeDir() + QStringLiteral("Projects/");
    QDir().mkpath(MainUnit.ProjectFolder); // not reported: saving a project creates what it needs
}

void FinalizeMainUnit() { MainUnit = TMainUnit(); }

QString ProjectName(const QString& path) {
    if (path == kNewProject)
        return LangText(path);
    QString name = path;
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (slash >= 0)
        name = name.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString ProjectTitle(const QString& path) { return QStringLiteral("Brindlewick - ") + ProjectName(path); }
