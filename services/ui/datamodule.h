#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "services/backupmanager.h"
#include "services/ui/formlangmanager.h"
#include "services/ui/settingsmanager.h"

// Settings of the shared open-file dialog; the dialog itself is made where it is shown.
struct TOpenDialogSettings {
    // Description|pattern pairs joined by '|'.
    QString Filter;
    // 0-based index of the filter shown first.
    int FilterIndex = 0;

    // The filter as Qt name filters ("All Files (*)"); "*.*" matches every file.
    QStringList NameFilters() const;
};

// Holds the shared services for the life of the program; every window
// reaches them through DMDataModule. It is no window: the settings store
// does not save it and the language manager does not translate it.
class TDMDataModule : public QObject {
    Q_OBJECT
public:
    explicit TDMDataModule(QObject* parent = nullptr);
    ~TDMDataModule() override;

    TOpenDialogSettings FileOD;
    // Icons of the text page's actions, in the order of its action list.
    QList<QIcon> ILEdit;
    TBackupManager* BackupManager;
    // Icons of the file tree: 0 file, 1 closed folder, 2 open folder.
    QList<QIcon> FTIIL;
    TFormLangManager* LangManager;
    TSettingsManager* SettingsManager;
};

// The one data module, set while it exists.
extern TDMDataModule* DMDataModule;
