#pragma once

#include <QString>

// Program-wide values set once before the program body runs.
struct TMainUnit {
    QString AppDir;          // the executable's folder, trailing separator
    QString OptionsFileName; // the settings file
    QString ProjectFolder;   // default folder of project files, trailing separator
};

// The values of this process; empty until InitializeMainUnit.
extern TMainUnit MainUnit;

// Sets the values and creates the project folder at once, silently (saving
// a project later creates what it needs).
void InitializeMainUnit();
void FinalizeMainUnit();

// The name of the project in the title: the file name without its folder and
// without its extension (from the last "." of the name on); "New project"
// stays whole, in the interface's language.
QString ProjectName(const QString& path);
// "Brindlewick - " and the project's name.
QString ProjectTitle(const QString& path);

// The text of a project that was never saved.
inline const QString kNewProject = QStringLiteral("New project");
