#include "app/ui/fmain_commands.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QShortcut>
#include <QToolBar>

#include "app/maincommands.h"
#include "app/mainunit.h"
#include "app/ui/fconvert.h"
#include "app/ui/fmain.h"
#include "app/ui/mainpages.h"
#include "app/ui/reportprint.h"
#include "options/ui/foptions.h"
#include "platform/guarded.h"
#include "options/version.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/fs.h"
#include "platform/prompt.h"
#include "platform/ui/chooser.h"
#include "services/ui/datamodule.h"
#include "services/ui/formlangmanager.h"

TMainCommands::TMainCommands(TFMain& main) : QObject(&main), main_(main) {
    treeSection_.Save = [this](QIODevice& out) {
        if (TMainFilesPage* files = main_.FilesPage())
            files->SaveTreeToStream(out);
        else
            throw bw::Error(text("szNoFileTree"));
    };
    treeSection_.Clear = [this] {
        if (TMainFilesPage* files = main_.FilesPage())
            files->RemoveAll();
    };
    treeSection_.Load = [this](QIODevice& in) {
        if (TMainFilesPage* files = main_.FilesPage())
            files->LoadTreeFromStream(in);
    };
    ruleSection_.Save = [this](QIODevice& out) {
        if (TMainRulesPage* rules = main_.RulesPage())
            rules->SaveToStream(out);
        else
            throw bw::Error(text("szNoRuleList"));
    };
    ruleSection_.Clear = [this] {
        if (TMainRulesPage* rules = main_.RulesPage())
            rules->Clear();
    };
    ruleSection_.Load = [this](QIODevice& in) {
        if (TMainRulesPage* rules = main_.RulesPage())
            rules->LoadFromStream(in);
    };
    schemeSection_.Save = [this](QIODevice& out) { main_.FConvert1->SaveScheme(out); };
    schemeSection_.Clear = [this] { main_.FConvert1->ClearSchemeExecute(); };
    schemeSection_.Load = [this](QIODevice& in) { main_.FConvert1->LoadScheme(in); };
    projects_ = std::make_unique<TProjectController>(
        *this, TProjectSections(treeSection_, ruleSection_, schemeSection_, optionsSection_), texts());

    const auto guarded = [this](void (TMainCommands::*handler)()) {
        return [this, handler] { bw::runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(main_.AOpenProject, &QAction::triggered, this, guarded(&TMainCommands::AOpenProjectExecute));
    connect(main_.ASaveProject, &QAction::triggered, this, guarded(&TMainCommands::ASaveProjectExecute));
    connect(main_.ASaveProjectAs, &QAction::triggered, this, guarded(&TMainCommands::ASaveProjectAsExecute));
    connect(main_.AAutoSave, &QAction::triggered, this, guarded(&TMainCommands::AAutoSaveExecute));
    connect(main_.AShowHelp, &QAction::triggered, this, guarded(&TMainCommands::AShowHelpExecute));
    connect(main_.APrintReport, &QAction::triggered, this, guarded(&TMainCommands::APrintReportExecute));
    connect(main_.ASaveReport, &QAction::triggered, this, guarded(&TMainCommands::ASaveReportExecute));
    connect(main_.ASubscribeMe, &QAction::triggered, this, [this] { MailLink("szSubscribeMe"); });
    connect(main_.ABugReport, &QAction::triggered, this, [this] { MailLink("szBugReport"); });
    connect(main_.AFeatureRequest, &QAction::triggered, this, [this] { MailLink("szFeatureRequest"); });
    helpKey_ = new QShortcut(QKeySequence(Qt::Key_F1), &main_);
    helpKey_->setObjectName(QStringLiteral("F1"));
    connect(helpKey_, &QShortcut::activated, this, [this] { bw::runGuarded([this] { ShowContextHelp(); }); });
    // The run's end shows in Process coming back.
    connect(main_.AStart, &QAction::changed, this, [this] {
        if ((closeAfterRun_ || exitAfterRun_ || exitAfterApply_) && !main_.Busy())
            QMetaObject::invokeMethod(this, [this] { AfterRun(); }, Qt::QueuedConnection);
    });
    main_.TSFiles->setProperty("helpContext", 800);
    main_.TSSR->setProperty("helpContext", 200);
    if (QWidget* process = main_.ATBMain->widgetForAction(main_.AStart))
        process->setProperty("helpContext", 600);
    main_.installEventFilter(this);
}

TMainCommands::~TMainCommands() { main_.removeEventFilter(this); }

QString TMainCommands::text(const char* key) const { return texts()(QString::fromLatin1(key)); }

TextSource TMainCommands::texts() const {
    return [this](const QString& key) {
        const TDMDataModule* dm = main_.Services().DM;
        const QString t = dm ? dm->LangManager->GetText(key) : QString();
        return t.isEmpty() ? CommandMessageText(key) : t;
    };
}

// ---- TProjectHost

QString TMainCommands::LastProject() const { return main_.ELastProject->text(); }
void TMainCommands::SetLastProject(const QString& path) { main_.ELastProject->setText(path); }
void TMainCommands::UpdateProjectName() { main_.AUpdateProjectNameExecute(); }

QString TMainCommands::ProjectFolder() const {
    TFOptions* options = main_.Services().Options;
    return options ? options->Cycle().ProjectFolder : MainUnit.ProjectFolder;
}

QString TMainCommands::ChooseFile(bool forSaving, const QString& title, const QString& folder, const QString& filter) {
    bw::FileRequest request;
    request.title = title;
    request.folder = folder;
    request.filter = filter;
    if (!forSaving)
        return bw::chooser().openFile(request);
    request.defaultSuffix = QStringLiteral("bwp");
    return bw::chooser().saveFile(request);
}

bool TMainCommands::AutoSaveProject() const {
    TFOptions* options = main_.Services().Options;
    return !options || options->CBSaveProject->isChecked();
}

bool TMainCommands::AutoSaveOptions() const {
    TFOptions* options = main_.Services().Options;
    return options && options->CBAutoSave->isChecked();
}

void TMainCommands::SaveOptions() {
    if (TFOptions* options = main_.Services().Options)
        options->AOSaveExecute();
}

// ---- projects

void TMainCommands::OpenLastProject() {
    TFOptions* options = main_.Services().Options;
    if (options && options->CBOpenLastProject->isChecked() && LastProject() != kNewProject)
        bw::runGuarded([this] { projects_->OpenLastProject(LastProject()); });
}

void TMainCommands::AOpenProjectExecute() {
    if (!main_.Busy())
        projects_->AOpenProjectExecute();
}

void TMainCommands::ASaveProjectExecute() {
    if (!main_.Busy())
        projects_->ASaveProjectExecute();
}

void TMainCommands::ASaveProjectAsExecute() {
    if (!main_.Busy())
        projects_->ASaveProjectAsExecute();
}

void TMainCommands::AAutoSaveExecute() { projects_->AAutoSaveExecute(); }

// ---- help

QString TMainCommands::HelpTopic(const QObject* widget) {
    for (const QObject* o = widget; o; o = o->parent()) {
        const QVariant context = o->property("helpContext");
        if (context.isValid() && context.toInt() != 0)
            return QString::number(context.toInt());
        const QString keyword = o->property("helpKeyword").toString();
        if (!keyword.isEmpty())
            return keyword;
    }
    return {};
}

namespace {

void OpenHelp(const QString& file, const QString& topic, const QString& missing) {
    if (!bw::fileExists(file))
        throw bw::Error(bw::format(missing, {QDir::toNativeSeparators(file)}));
    QUrl url = QUrl::fromLocalFile(file);
    if (!topic.isEmpty())
        url.setFragment(topic);
    bw::chooser().openUrl(url);
}

} // namespace

void TMainCommands::AShowHelpExecute() {
    TFOptions* options = main_.Services().Options;
    OpenHelp(options ? options->Cycle().HelpFile : QString(), {}, text("szHelpNotFound"));
}

void TMainCommands::ShowContextHelp() {
    TFOptions* options = main_.Services().Options;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != &main_)
        focus = &main_;
    OpenHelp(options ? options->Cycle().HelpFile : QString(), HelpTopic(focus), text("szHelpNotFound"));
}

// ---- the report

void TMainCommands::APrintReportExecute() {
    QPrinter printer(QPrinter::HighResolution);
    if (!PrintDialog()(printer))
        return;
    PrintReport(main_.Report, printer, text("szReport"), main_.MReport->font());
}

void TMainCommands::ASaveReportExecute() {
    bw::FileRequest request;
    request.title = main_.ASaveReport->text().remove(QLatin1Char('&'));
    request.filter = text("szReportFilter");
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = bw::chooser().saveFile(request);
    if (!path.isEmpty())
        SaveReportFile(main_.Report, path, texts());
}

// ---- exit and closing

bool TMainCommands::RunWithStop() const { return main_.Busy() && main_.AStop->isVisible(); }

void TMainCommands::AExitProgExecute() {
    if (exitAfterRun_ || exitAfterApply_)
        return;
    if (main_.Busy()) {
        if (!RunWithStop()) {
            exitAfterApply_ = true; // Apply has no Stop: Exit follows once it has ended
            return;
        }
        main_.AStopExecute();
        if (!main_.Run().StopRequested())
            return; // the user goes on with the run
    }
    bw::runGuarded([this] {
        projects_->AAutoSaveExecute();
        if (main_.Busy())
            exitAfterRun_ = true;
        else
            EndProgram();
    });
}

void TMainCommands::EndProgram() {
    // With every window closed the message loop ends.
    closing_ = true;
    main_.close();
    QApplication::closeAllWindows();
}

void TMainCommands::AfterRun() {
    if (main_.Busy())
        return;
    if (exitAfterApply_) {
        exitAfterApply_ = false;
        closeAfterRun_ = false;
        AExitProgExecute();
    } else if (exitAfterRun_) {
        exitAfterRun_ = false;
        closeAfterRun_ = false;
        EndProgram();
    } else if (closeAfterRun_) {
        closeAfterRun_ = false;
        closing_ = true;
        main_.close();
    }
}

// ---- drops and mail

void TMainCommands::DropItems(const QList<QUrl>& urls) {
    TMainFilesPage* files = main_.FilesPage();
    if (main_.Busy() || !files)
        return;
    const TDroppedItems items = SortDroppedItems(urls);
    if (!items.IsEmpty())
        files->AddDropped(items.Files, items.Folders);
}

void TMainCommands::MailLink(const char* key) { bw::chooser().openUrl(MailCommandLink(AppVersion, text(key))); }

bool TMainCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &main_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Close: {
        if (closing_ || !main_.Busy()) {
            closing_ = false;
            return false;
        }
        // During a run the close asks like Stop; during Apply it waits.
        event->ignore();
        if (closeAfterRun_ || exitAfterRun_ || exitAfterApply_)
            return true;
        if (RunWithStop()) {
            main_.AStopExecute();
            if (main_.Run().StopRequested()) {
                closeAfterRun_ = true;
                main_.AbortWaitingAnswer();
            }
        } else {
            closeAfterRun_ = true;
        }
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!main_.Busy() && drag->mimeData()->hasUrls())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (main_.Busy() || !drop->mimeData()->hasUrls()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const QList<QUrl> urls = drop->mimeData()->urls();
        bw::runGuarded([this, &urls] { DropItems(urls); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void TFMain::OpenProject(const QString& path) { commands_->Projects().OpenProject(path); }

void TFMain::AutoSave() { commands_->AAutoSaveExecute(); }
