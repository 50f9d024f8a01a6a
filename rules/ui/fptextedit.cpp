#include "rules/ui/fptextedit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "engine/processstate.h"
#include "engine/rerichedit.h"
#include "engine/ui/fprocess.h"
#include "platform/appdirs.h"
#include "platform/cp1251.h"
#include "platform/error.h"
#include "platform/format.h"
#include "platform/fs.h"
#include "platform/guarded.h"
#include "platform/prompt.h"
#include "platform/ui/chooser.h"
#include "rules/textlibrary.h"
#include "rules/ui/fsigns.h"
#include "services/fileroutines.h"
#include "services/ui/datamodule.h"

TRERichEdit* FProcessEngine = nullptr;

namespace {

// Property of a library menu: whether it lists the whole-rule folder. Its items
// carry their full paths as data (a folder's path ends with a separator).
constexpr char kWholeRuleProperty[] = "wholeRule";

// CR LF, LF and a lone CR all become one line break of the edit.
QString normalizeBreaks(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A file name as a menu caption: an ampersand shows as written.
QString menuCaption(const QString& name) {
    if (!name.contains(QLatin1Char('&')))
        return name;
    QString caption = name;
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    return caption;
}

QString fileOpenFilter() {
    if (!DMDataModule)
        return QStringLiteral("All Files (*)");
    return DMDataModule->FileOD.NameFilters().join(QLatin1String(";;"));
}

} // namespace

// ---- construction

TFPTextEdit::TFPTextEdit(QWidget* parent, int role) : TFrame(parent) {
    SetRulesTextSource([](const QString& key) {
        return DMDataModule && DMDataModule->LangManager ? DMDataModule->LangManager->GetText(key) : QString();
    });
    setObjectName(QStringLiteral("FPTextEdit"));
    SetComponentTag(this, role);
    setMinimumSize(600, 200);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ATBTextEdit = new QToolBar(this);
    ATBTextEdit->setObjectName(QStringLiteral("ATBTextEdit"));
    // Captions only, so that the access keys show and the bar fits the page's
    // least width in every language; the icons show in the menus.
    ATBTextEdit->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(ATBTextEdit);

    auto* body = new QHBoxLayout();
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(2);
    SEText = new QPlainTextEdit(this);
    SEText->setObjectName(QStringLiteral("SEText"));
    SEText->setLineWrapMode(QPlainTextEdit::NoWrap);
    SEText->setContextMenuPolicy(Qt::CustomContextMenu);
    SEText->installEventFilter(this);
    body->addWidget(SEText, 1);
    POptions = new QWidget(this);
    POptions->setObjectName(QStringLiteral("POptions"));
    POptions->setFixedWidth(262);
    body->addWidget(POptions);
    layout->addLayout(body, 1);

    // ALTextEdit. The captions carry the toolbar's access keys.
    AClearText = MakeAction("AClearText", tr("&Clear"), QKeySequence(Qt::CTRL | Qt::Key_E), 0, 0);
    APasteSign = MakeAction("APasteSign", tr("&Additional sign"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I), 0, 1);
    APasteFromClipboard = MakeAction("APasteFromClipboard", tr("&From Clipboard"), QKeySequence(Qt::CTRL | Qt::Key_V), 0, 2);
    APasteFromFile = MakeAction("APasteFromFile", tr("F&rom file"),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_V), 0, 3);
    APasteFile = MakeAction("APasteFile", tr("F&ile"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V), 0, 4);
    ALoadFromClipboard = MakeAction("ALoadFromClipboard", tr("Fr&om Clipboard"), QKeySequence(Qt::CTRL | Qt::Key_L), 1, 5);
    ALoadFromFile = MakeAction("ALoadFromFile", tr("F&rom file"),
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_L), 1, 6);
    ALoadFile = MakeAction("ALoadFile", tr("&File"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L), 1, 7);
    ACopyToClipboard = MakeAction("ACopyToClipboard", tr("Cop&y to clipboard"), QKeySequence(Qt::CTRL | Qt::Key_Insert), 0, 8);
    AFavorites = MakeAction("AFavorites", tr("&Favorites"), QKeySequence(), 0, 9);
    AFullFavorites = MakeAction("AFullFavorites", tr("F&ull Favorites"), QKeySequence(), 0, 10);
    AAddSigns = MakeAction("AAddSigns", tr("&Additional signs"), QKeySequence(), 0, 11);
    AOptions = MakeAction("AOptions", tr("&Options"), QKeySequence(), 0, 12);
    ADInsert = MakeAction("ADInsert", tr("&Insert"), QKeySequence(), 0, 13);
    ADLoad = MakeAction("ADLoad", tr("&Load"), QKeySequence(), 0, 14);
    AAddSigns->setCheckable(true);
    AOptions->setCheckable(true);
    AOptions->setChecked(true);

    connect(AClearText, &QAction::triggered, this, [this] { Guarded([this] { AClearTextExecute(); }); });
    connect(APasteSign, &QAction::triggered, this, [this] { Guarded([this] { APasteSignExecute(); }); });
    for (QAction* a : {APasteFromClipboard, ALoadFromClipboard})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([this, a] { GetFromClipboardExecute(a); }); });
    for (QAction* a : {APasteFromFile, ALoadFromFile})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([this, a] { GetFromFileExecute(a); }); });
    for (QAction* a : {APasteFile, ALoadFile})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([this, a] { GetFileExecute(a); }); });
    connect(ACopyToClipboard, &QAction::triggered, this, [this] { Guarded([this] { ACopyToClipboardExecute(); }); });
    connect(AFavorites, &QAction::triggered, this, [this] { Guarded([this] { AFavoritesExecute(); }); });
    connect(AFullFavorites, &QAction::triggered, this, [this] { Guarded([this] { AFullFavoritesExecute(); }); });
    connect(AAddSigns, &QAction::triggered, this, &TFPTextEdit::EmptyAction);
    connect(AOptions, &QAction::triggered, this, &TFPTextEdit::AOptionsExecute);
    connect(AOptions, &QAction::toggled, this, &TFPTextEdit::AOptionsUpdate);

    // The drop-down groups of the toolbar.
    auto* insertMenu = new QMenu(this);
    insertMenu->setObjectName(QStringLiteral("PMInsert"));
    insertMenu->addActions({APasteSign, APasteFromClipboard, APasteFromFile, APasteFile});
    ADInsert->setMenu(insertMenu);
    auto* loadMenu = new QMenu(this);
    loadMenu->setObjectName(QStringLiteral("PMLoad"));
    loadMenu->addActions({ALoadFromClipboard, ALoadFromFile, ALoadFile});
    ADLoad->setMenu(loadMenu);

    // Toolbar order: Clear; Insert; Load; Favorites; Full Favorites; | Additional signs; Options.
    ATBTextEdit->addActions({AClearText, ADInsert, ADLoad, AFavorites, AFullFavorites});
    ATBTextEdit->addSeparator();
    ATBTextEdit->addActions({AAddSigns, AOptions});
    for (QAction* a : {ADInsert, ADLoad})
        if (auto* button = qobject_cast<QToolButton*>(ATBTextEdit->widgetForAction(a)))
            button->setPopupMode(QToolButton::InstantPopup);

    PMFavorites = new QMenu(this);
    PMFavorites->setObjectName(QStringLiteral("PMFavorites"));
    PMFullFavorites = new QMenu(this);
    PMFullFavorites->setObjectName(QStringLiteral("PMFullFavorites"));
    for (QMenu* m : {PMFavorites, PMFullFavorites}) {
        connect(m, &QMenu::aboutToShow, this, [this, m] { Guarded([this, m] { PMFavoritesPopup(m); }); });
        WatchLibraryMenu(m);
    }

    BuildPopupMenu();
    connect(SEText, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // A second request while the menu is open is ignored.
        if (!PMEdit->isVisible())
            PMEdit->popup(SEText->viewport()->mapToGlobal(pos));
    });

    SetLibraryPath(bw::homeDir() + QStringLiteral("Favorites") + QDir::separator());
    FormCreate();
}

TFPTextEdit::~TFPTextEdit() = default;

QAction* TFPTextEdit::MakeAction(const char* name, const QString& caption, const QKeySequence& shortcut, int tag,
                                 int image) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    SetComponentTag(a, tag);
    if (DMDataModule && image < DMDataModule->ILEdit.size())
        a->setIcon(DMDataModule->ILEdit[image]);
    addAction(a);
    return a;
}

QAction* TFPTextEdit::MakeMenuItem(const QString& caption, const QKeySequence& shortcut, int tag,
                                   void (TFPTextEdit::*handler)(QObject*)) {
    auto* item = new QAction(caption, PMEdit);
    // The shortcut is shown; it acts only while the menu itself has the focus,
    // so it never competes with the page's action of the same keys.
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WidgetShortcut);
    SetComponentTag(item, tag);
    connect(item, &QAction::triggered, this, [this, item, handler] { Guarded([&] { (this->*handler)(item); }); });
    PMEdit->addAction(item);
    return item;
}

void TFPTextEdit::BuildPopupMenu() {
    PMEdit = new QMenu(this);
    PMEdit->setObjectName(QStringLiteral("PMEdit"));
    PMEdit->addAction(ACopyToClipboard);
    PMEdit->addSeparator();
    auto* sign = new QAction(tr("Insert additional &sign"), PMEdit);
    sign->setShortcut(APasteSign->shortcut());
    sign->setShortcutContext(Qt::WidgetShortcut);
    connect(sign, &QAction::triggered, this, [this] { Guarded([this] { APasteSignExecute(); }); });
    PMEdit->addAction(sign);
    PMEdit->addSeparator();
    MakeMenuItem(tr("Insert from Cli&pboard"), APasteFromClipboard->shortcut(), 0, &TFPTextEdit::GetFromClipboardExecute);
    MakeMenuItem(tr("Insert from fil&e"), APasteFromFile->shortcut(), 0, &TFPTextEdit::GetFromFileExecute);
    MakeMenuItem(tr("I&nsert file"), APasteFile->shortcut(), 0, &TFPTextEdit::GetFileExecute);
    PMEdit->addSeparator();
    MakeMenuItem(tr("Load from Clip&board"), ALoadFromClipboard->shortcut(), 1, &TFPTextEdit::GetFromClipboardExecute);
    MakeMenuItem(tr("Load from f&ile"), ALoadFromFile->shortcut(), 1, &TFPTextEdit::GetFromFileExecute);
    MakeMenuItem(tr("Loa&d file"), ALoadFile->shortcut(), 1, &TFPTextEdit::GetFileExecute);
    PMEdit->addSeparator();
    PMEdit->addAction(AClearText);
}

void TFPTextEdit::FormCreate() {
    // The page shows its parent's background.
    setAutoFillBackground(false);
    AOptionsUpdate();
}

template <typename F>
void TFPTextEdit::Guarded(F&& f) {
    bw::runGuarded(RulesText(QStringLiteral("szApplicationTitle")), std::forward<F>(f));
}

// ---- state

int TFPTextEdit::Role() const { return ComponentTag(this); }

void TFPTextEdit::SetRole(int role) {
    SetComponentTag(this, role);
    SetLibraryPath(libraryBase_); // the folders follow the role
}

QString TFPTextEdit::PlainText() const {
    // The raw text keeps no-break spaces, which the plain-text conversion would turn into blanks.
    QString text = SEText->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

std::string TFPTextEdit::Text() const {
    QString text = PlainText();
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return EncodeStrict1251(text);
}

void TFPTextEdit::SetText(const std::string& bytes) {
    SEText->setPlainText(normalizeBreaks(bw::decode1251(bytes)));
}

bool TFPTextEdit::AdditionalSigns() const { return AAddSigns->isChecked(); }
void TFPTextEdit::SetAdditionalSigns(bool on) { AAddSigns->setChecked(on); }

QList<QList<QAction*>> TFPTextEdit::GetActionLists() const {
    return {{AClearText, APasteSign, APasteFromClipboard, APasteFromFile, APasteFile, ALoadFromClipboard, ALoadFromFile,
             ALoadFile, ACopyToClipboard, AFavorites, AFullFavorites, AAddSigns, AOptions, ADInsert, ADLoad}};
}

void TFPTextEdit::SetLibraryPath(const QString& base) {
    libraryBase_ = base;
    const TLibraryFolders folders = LibraryFolderNames(base, Role());
    libraryFolder_ = folders.Library;
    wholeRuleFolder_ = folders.WholeRule;
}

void TFPTextEdit::AOptionsUpdate() { POptions->setVisible(AOptions->isChecked()); }

// ---- text changes

void TFPTextEdit::PutText(const QString& text, bool replace) {
    QTextCursor cursor = SEText->textCursor();
    cursor.beginEditBlock();
    if (replace)
        cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
    SEText->setTextCursor(cursor);
}

void TFPTextEdit::InsertBytes(const std::string& bytes, bool replace) {
    PutText(normalizeBreaks(bw::decode1251(bytes)), replace);
}

void TFPTextEdit::AClearTextExecute() {
    PutText(QString(), true);
    SEText->viewport()->update();
    SEText->setFocus();
}

void TFPTextEdit::APasteSignExecute() {
    TFSigns* signs = FSigns ? FSigns : new TFSigns(window());
    signs->SetSourceMode(Role() == 0);
    if (signs->exec() != QDialog::Accepted)
        return;
    // The caret ends after the block, at its start plus its length.
    PutText(signs->EText->text(), false);
}

void TFPTextEdit::GetFromClipboardExecute(QObject* sender) {
    const QString text = normalizeBreaks(QGuiApplication::clipboard()->text());
    PutText(text, ComponentTag(sender) == 1);
    SEText->setFocus();
}

void TFPTextEdit::GetFileExecute(QObject* sender) {
    bw::FileRequest request;
    request.filter = fileOpenFilter();
    const QString file = bw::chooser().openFile(request);
    if (file.isEmpty()) {
        SEText->setFocus();
        return;
    }
    std::string bytes;
    if (!LoadFileToString(file, bytes))
        throw bw::Error(bw::format(RulesText(QStringLiteral("szCantReadFile")), {QDir::toNativeSeparators(file)}));
    InsertBytes(UpToNul(std::move(bytes)), ComponentTag(sender) == 1);
    SEText->setFocus();
}

void TFPTextEdit::GetFromFileExecute(QObject* sender) {
    const bool replace = ComponentTag(sender) == 1;
    bw::FileRequest request;
    request.filter = fileOpenFilter();
    const QString file = bw::chooser().openFile(request);
    TFProcess* window = FProcess;
    if (!file.isEmpty() && window) {
        window->PushCaption();
        window->SetCaption(RulesText(QStringLiteral("szSelBFF")) + QLatin1Char(' ') + QFileInfo(file).fileName());
        ProcessModes.Include(pmSelect);
        std::string bytes;
        if (!LoadFileToString(file, bytes)) {
            ProcessModes.Exclude(pmSelect);
            window->PopCaption();
            throw bw::Error(bw::format(RulesText(QStringLiteral("szCantReadFile")), {QDir::toNativeSeparators(file)}));
        }
        int result = mrCancel;
        try {
            CurrentFileText = std::move(bytes);
            if (FProcessEngine)
                FProcessEngine->LoadFromString(CurrentFileText);
            window->PrepareSelectExecute();
            result = window->ShowProcessModal();
        } catch (...) {
            ProcessModes.Exclude(pmSelect);
            window->PopCaption();
            throw;
        }
        ProcessModes.Exclude(pmSelect);
        window->PopCaption();
        if (result == mrOk)
            InsertBytes(UpToNul(SelectedText), replace);
    }
    SEText->setFocus();
}

void TFPTextEdit::ACopyToClipboardExecute() {
    if (SEText->textCursor().hasSelection()) {
        SEText->copy();
        return;
    }
    // The whole text; the caret stays where it is.
    QGuiApplication::clipboard()->setText(PlainText());
}

// ---- library menus

void TFPTextEdit::AFavoritesExecute() {
    QWidget* button = ATBTextEdit->widgetForAction(AFavorites);
    PMFavorites->popup(button ? button->mapToGlobal(button->rect().bottomLeft()) : QCursor::pos());
}

void TFPTextEdit::AFullFavoritesExecute() {
    QWidget* button = ATBTextEdit->widgetForAction(AFullFavorites);
    PMFullFavorites->popup(button ? button->mapToGlobal(button->rect().bottomLeft()) : QCursor::pos());
}

void TFPTextEdit::PMFavoritesPopup(QMenu* menu) {
    BuildLibraryMenu(menu == PMFullFavorites ? wholeRuleFolder_ : libraryFolder_, menu, menu == PMFullFavorites);
}

void TFPTextEdit::DropItems(QMenu* menu, qsizetype from) {
    const QList<QAction*> items = menu->actions();
    for (qsizetype i = from; i < items.size(); ++i) {
        QAction* a = items[i];
        if (QMenu* sub = a->menu()) {
            menu->removeAction(a);
            spareMenus_.push_back(sub);
        } else {
            delete a;
        }
    }
}

void TFPTextEdit::FillFolderMenu(QMenu* menu, const QString& folder, bool wholeRule) {
    // Each drop reads the folder again, but the items of the last drop are
    // updated in place and its sub-menus reused, and one handler per menu
    // serves all its items: making menus, actions and connections is what
    // costs most here. A reused sub-menu is filled again when it opens.
    menu->setProperty(kWholeRuleProperty, wholeRule);
    const std::vector<TLibraryEntry> entries = ListLibraryFolder(folder);
    const QList<QAction*> items = menu->actions();
    std::size_t n = 0;
    for (; n < entries.size() && static_cast<qsizetype>(n) < items.size(); ++n) {
        QAction* a = items[static_cast<qsizetype>(n)];
        const TLibraryEntry& entry = entries[n];
        if (a->isSeparator() || (a->menu() != nullptr) != entry.Folder || !a->objectName().isEmpty())
            break;
        a->setText(menuCaption(entry.Name));
        a->setData(entry.Path);
        if (QMenu* sub = a->menu())
            sub->setProperty(kWholeRuleProperty, wholeRule);
    }
    DropItems(menu, static_cast<qsizetype>(n));
    for (; n < entries.size(); ++n) {
        const TLibraryEntry& entry = entries[n];
        if (!entry.Folder) {
            menu->addAction(menuCaption(entry.Name))->setData(entry.Path);
            continue;
        }
        // A folder is read only when its sub-menu opens.
        QMenu* sub = nullptr;
        if (spareMenus_.empty()) {
            sub = new QMenu(this);
            connect(sub, &QMenu::aboutToShow, this, [this, sub] {
                Guarded([&] {
                    FillFolderMenu(sub, sub->menuAction()->data().toString(),
                                   sub->property(kWholeRuleProperty).toBool());
                });
            });
            WatchLibraryMenu(sub);
        } else {
            sub = spareMenus_.back();
            spareMenus_.pop_back();
        }
        sub->setTitle(menuCaption(entry.Name));
        sub->menuAction()->setData(entry.Path);
        sub->setProperty(kWholeRuleProperty, wholeRule);
        menu->addMenu(sub);
    }
}

void TFPTextEdit::WatchLibraryMenu(QMenu* menu) {
    connect(menu, &QMenu::triggered, this, [this, menu](QAction* item) {
        // Items of sub-menus report to their own menu.
        if (item->parent() != menu || item->menu())
            return;
        Guarded([&] {
            if (item->objectName() == QLatin1String("AddToLibrary"))
                AddToLibraryClick(item);
            else
                LibraryItemClick(item);
        });
    });
}

void TFPTextEdit::BuildLibraryMenu(const QString& folder, QMenu* menu, bool wholeRule) {
    FillFolderMenu(menu, folder, wholeRule);
    menu->addSeparator();
    QAction* add = menu->addAction(RulesText(QStringLiteral("szAddToLibrary")));
    add->setObjectName(QStringLiteral("AddToLibrary"));
}

bool TFPTextEdit::IsWholeRuleItem(const QAction* item) const {
    return item->parent() && item->parent()->property(kWholeRuleProperty).toBool();
}

void TFPTextEdit::LibraryItemClick(QAction* item) {
    const QString path = item->data().toString();
    if (path.isEmpty())
        return;
    if (IsWholeRuleItem(item)) {
        if (wholeRule_)
            LoadFavorite(path, *wholeRule_);
        return;
    }
    PutText(normalizeBreaks(bw::decode1251(ReadLibraryText(path))), true);
}

void TFPTextEdit::AddToLibraryClick(QAction* item) {
    const bool wholeRule = IsWholeRuleItem(item);
    const QString folder = wholeRule ? wholeRuleFolder_ : libraryFolder_;
    if (!bw::forceDirectories(folder))
        throw bw::Error(bw::format(RulesText(QStringLiteral("szCantCreateDir")), {QDir::toNativeSeparators(folder)}));
    // The bytes are made before anything is asked, so a character that
    // Windows-1251 lacks is named before a file is chosen.
    std::string text;
    if (!wholeRule)
        text = Text();
    else if (wholeRule_)
        wholeRule_->GetWholeRule();
    bw::FileRequest request;
    request.title = RulesText(QStringLiteral("szAddToLibrary"));
    request.folder = folder;
    request.filter = RulesText(QStringLiteral("szTextFilesFilter"));
    request.defaultSuffix = QStringLiteral("txt");
    QString file = bw::chooser().saveFile(request);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".txt");
    if (QFileInfo::exists(file) &&
        !bw::prompt().yesNo(RulesText(QStringLiteral("szApplicationTitle")),
                            bw::format(RulesText(QStringLiteral("szReplaceFileQ")), {QDir::toNativeSeparators(file)})))
        return;
    if (wholeRule) {
        if (wholeRule_)
            SaveFavorite(file, *wholeRule_);
    } else {
        WriteLibraryText(file, text);
    }
    QMenu* menu = wholeRule ? PMFullFavorites : PMFavorites;
    BuildLibraryMenu(folder, menu, wholeRule);
}

// ---- keys

bool TFPTextEdit::eventFilter(QObject* watched, QEvent* event) {
    // The page's shortcuts win over the edit's own keys (Ctrl+V, Ctrl+Insert, ...):
    // the edit is told it does not want them, so the shortcut runs.
    if (watched == SEText && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QList<QAction*>& list : GetActionLists())
            for (QAction* a : list)
                if (!a->shortcut().isEmpty() && a->shortcut().matches(pressed) == QKeySequence::ExactMatch &&
                    a->isEnabled()) {
                    event->ignore();
                    return true;
                }
    }
    return TFrame::eventFilter(watched, event);
}

// ---- the two texts of a rule dialog

TWholeRule TPageTexts::GetWholeRule() const { return {search_->Text(), target_->Text()}; }

void TPageTexts::SetWholeRule(const TWholeRule& rule) {
    search_->SetText(rule.Search);
    target_->SetText(rule.Target);
}
