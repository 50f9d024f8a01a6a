#include "services/ui/datamodule.h"

#include <QApplication>
#include <QStyle>

#include "services/langmanager.h"

TDMDataModule* DMDataModule = nullptr;

QStringList TOpenDialogSettings::NameFilters() const {
    QStringList out;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p.trimmed() == QLatin1String("*.*"))
                p = QStringLiteral("*");
        out << LangText(parts[i]) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

namespace {

QIcon standard(QStyle::StandardPixmap which) {
    return QApplication::style() ? QApplication::style()->standardIcon(which) : QIcon();
}

} // namespace

TDMDataModule::TDMDataModule(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DMDataModule"));

    FileOD.Filter = QStringLiteral("All Files|*.*");
    FileOD.FilterIndex = 0;

    // One icon per action of the text page, in its list order: clear; the four
    // insert commands; the three load commands; copy; the two favourites
    // menus; the pattern-language toggle; options; the insert and load groups.
    ILEdit = {standard(QStyle::SP_DialogResetButton), standard(QStyle::SP_FileDialogContentsView),
              standard(QStyle::SP_DialogOpenButton),  standard(QStyle::SP_FileIcon),
              standard(QStyle::SP_FileLinkIcon),      standard(QStyle::SP_DialogOpenButton),
              standard(QStyle::SP_FileIcon),          standard(QStyle::SP_FileLinkIcon),
              standard(QStyle::SP_DialogSaveButton),  standard(QStyle::SP_DirHomeIcon),
              standard(QStyle::SP_DirLinkIcon),       standard(QStyle::SP_FileDialogDetailedView),
              standard(QStyle::SP_FileDialogInfoView), standard(QStyle::SP_ArrowRight),
              standard(QStyle::SP_ArrowDown)};

    BackupManager = new TBackupManager(this);
    BackupManager->setObjectName(QStringLiteral("BackupManager"));
    BackupManager->Active = true;
    BackupManager->SetMaxBackupCount(0); // refused: the options set the count

    FTIIL = {standard(QStyle::SP_FileIcon), standard(QStyle::SP_DirClosedIcon), standard(QStyle::SP_DirOpenIcon)};

    LangManager = new TFormLangManager(this);
    LangManager->setObjectName(QStringLiteral("LangManager"));
    LangManager->SetFileName(QStringLiteral("Langs.lng"));
    LangManager->SetCurrentLang(-1);

    SettingsManager = new TSettingsManager(this);
    SettingsManager->setObjectName(QStringLiteral("SettingsManager"));
    SettingsManager->AutoSave = true;

    BackupManager->LangManager = LangManager;
    DMDataModule = this;
}

TDMDataModule::~TDMDataModule() {
    if (DMDataModule == this)
        DMDataModule = nullptr;
}
