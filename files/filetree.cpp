#include "files/filetree.h"

#include "files/plainfilelist.h"
#include "platform/fs.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Children looked up by name through a hash once a node has this many.
constexpr std::size_t kIndexFrom = 32;

} // namespace

TFileNode::~TFileNode() {
    // Take the subtree apart level by level so that no destructor recurses.
    std::vector<std::unique_ptr<TFileNode>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<TFileNode> n = std::move(pending.back());
        pending.pop_back();
        for (auto& c : n->children_)
            pending.push_back(std::move(c));
        n->children_.clear();
    }
}

// One update: the observer hears of the changes made inside once, when the
// outermost batch ends.
class TFileVTreeView::Batch {
public:
    explicit Batch(TFileVTreeView& tree) : tree_(tree) { tree_.BeginUpdate(); }
    ~Batch() { tree_.EndUpdate(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    TFileVTreeView& tree_;
};

// Long work: the busy hook hears of its start and its end.
class TFileVTreeView::Busy {
public:
    explicit Busy(const TFileVTreeView& tree) : tree_(tree) {
        if (tree_.busyDepth_++ == 0 && tree_.busy_)
            tree_.busy_(true);
    }
    ~Busy() {
        if (--tree_.busyDepth_ == 0 && tree_.busy_)
            tree_.busy_(false);
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    const TFileVTreeView& tree_;
};

struct TFileVTreeView::ScanItem {
    TFileNode* node;
    QString path; // the folder's path with a trailing '/'
    const TFileFilter* filter;
};

TFileVTreeView::TFileVTreeView() = default;
TFileVTreeView::~TFileVTreeView() = default;

void TFileVTreeView::BeginUpdate() { ++batch_; }

void TFileVTreeView::EndUpdate() {
    if (batch_ > 0 && --batch_ == 0 && changed_) {
        changed_ = false;
        if (observer_)
            observer_->treeReset();
    }
}

// ---- structure ---------------------------------------------------------------

int TFileVTreeView::RowOf(const TFileNode* node) const {
    const TFileNode* parent = node->parent_ ? node->parent_ : &root_;
    for (std::size_t i = 0; i < parent->children_.size(); ++i)
        if (parent->children_[i].get() == node)
            return int(i);
    return -1;
}

std::size_t TFileVTreeView::NodeCount() const {
    std::size_t count = 0;
    std::vector<const TFileNode*> stack{&root_};
    while (!stack.empty()) {
        const TFileNode* n = stack.back();
        stack.pop_back();
        count += n->children_.size();
        for (const auto& c : n->children_)
            stack.push_back(c.get());
    }
    return count;
}

bool TFileVTreeView::IsFolder(const TFileNode* node) const {
    return node && (node->Data.ImageIndex == CFolderImageIndex || node->Data.ImageIndex == OFolderImageIndex);
}

std::int32_t TFileVTreeView::Image(const TFileNode* node) const {
    if (IsFolder(node))
        return node->expanded_ ? OFolderImageIndex : CFolderImageIndex;
    return node->Data.ImageIndex;
}

TFileNode* TFileVTreeView::FindChild(TFileNode* parent, const QString& name) const {
    const TFileNode* p = parent ? parent : &root_;
    if (!p->index_ && p->children_.size() >= kIndexFrom) {
        auto index = std::make_unique<QHash<QString, TFileNode*>>();
        index->reserve(qsizetype(p->children_.size()));
        for (const auto& c : p->children_)
            if (!index->contains(c->Data.Name))
                index->insert(c->Data.Name, c.get());
        const_cast<TFileNode*>(p)->index_ = std::move(index);
    }
    if (p->index_)
        return p->index_->value(name, nullptr);
    for (const auto& c : p->children_)
        if (c->Data.Name == name)
            return c.get();
    return nullptr;
}

TFileNode* TFileVTreeView::appendChild(TFileNode* parent, const QString& name) {
    TFileNode* p = parent ? parent : &root_;
    auto node = std::make_unique<TFileNode>();
    node->Data.Name = name;
    node->parent_ = parent;
    TFileNode* raw = node.get();
    p->children_.push_back(std::move(node));
    if (p->index_)
        if (!p->index_->contains(name))
            p->index_->insert(name, raw);
    changed_ = true;
    return raw;
}

bool TFileVTreeView::inSubtree(const TFileNode* node, const TFileNode* top) const {
    for (; node; node = node->parent_)
        if (node == top)
            return true;
    return false;
}

void TFileVTreeView::deleteNode(TFileNode* node) {
    TFileNode* parent = node->parent_;
    TFileNode* p = parent ? parent : &root_;
    const int row = RowOf(node);
    if (row < 0)
        return;
    const bool tell = batch_ == 0 && observer_;
    if (tell)
        observer_->nodeRemoving(parent, row);
    if (inSubtree(selected_, node))
        selected_ = nullptr;
    if (p->index_) {
        auto it = p->index_->find(node->Data.Name);
        if (it != p->index_->end() && it.value() == node)
            p->index_->erase(it);
    }
    p->children_.erase(p->children_.begin() + row);
    if (tell)
        observer_->nodeRemoved();
    else
        changed_ = true;
}

void TFileVTreeView::Clear() {
    if (root_.children_.empty())
        return;
    Batch batch(*this);
    std::vector<std::unique_ptr<TFileNode>> old = std::move(root_.children_);
    root_.children_.clear();
    root_.index_.reset();
    selected_ = nullptr;
    changed_ = true;
}

bool TFileVTreeView::StorableName(QStringView name) {
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    const QChar* p = name.constData();
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = p[i].unicode();
        if (c < 0x20 || c == 0x7F || c == '/')
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= name.size() || !p[i + 1].isLowSurrogate())
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

void TFileVTreeView::noteSkipped(const QString& path) {
    if (skipped_++ == 0)
        firstSkipped_ = path;
}

void TFileVTreeView::ClearSkippedNames() {
    skipped_ = 0;
    firstSkipped_.clear();
}

// ---- adding ------------------------------------------------------------------

TFileNode* TFileVTreeView::AddNode(TFileNode* parent, const QString& name, std::int32_t imageIndex,
                                   std::int32_t stateIndex, const QString& settings) {
    Batch batch(*this);
    TFileNode* node = FindChild(parent, name);
    if (!node)
        node = appendChild(parent, name);
    TFileNodeData& d = node->Data;
    d.Name = name;
    d.Settings = settings;
    d.ImageIndex = imageIndex;
    if (d.StateIndex == -1 || stateIndex >= 0)
        d.StateIndex = stateIndex;
    changed_ = true;
    return node;
}

TFileNode* TFileVTreeView::findChild(TFileNode* parent, QStringView name) const {
    const TFileNode* p = parent ? parent : &root_;
    if (p->index_ || p->children_.size() >= kIndexFrom)
        return FindChild(parent, name.toString());
    for (const auto& c : p->children_)
        if (c->Data.Name == name)
            return c.get();
    return nullptr;
}

TFileNode* TFileVTreeView::AddPath(const QString& path, std::int32_t imageIndex, const QString& settings,
                                   std::int32_t stateIndex) {
    if (!path.startsWith(QLatin1Char('/')))
        return nullptr; // relative paths have no place in the tree
    // The components, as views into path; empty ones dropped.
    std::vector<QStringView> parts;
    const QStringView whole(path);
    for (qsizetype i = 0; i < whole.size();) {
        const qsizetype slash = whole.indexOf(QLatin1Char('/'), i);
        const qsizetype end = slash < 0 ? whole.size() : slash;
        if (end > i) {
            const QStringView part = whole.sliced(i, end - i);
            if (!StorableName(part)) {
                noteSkipped(path);
                return nullptr;
            }
            parts.push_back(part);
        }
        i = end + 1;
    }
    const bool folder = imageIndex == CFolderImageIndex || imageIndex == OFolderImageIndex;
    if (parts.empty() && !folder)
        return nullptr;
    Batch batch(*this);
    const QString top = QStringLiteral("/");
    if (parts.empty())
        return AddNode(nullptr, top, imageIndex, stateIndex, settings);
    TFileNode* node = FindChild(nullptr, top);
    if (!node) {
        node = appendChild(nullptr, top);
        node->Data.ImageIndex = CFolderImageIndex;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        TFileNode* child = findChild(node, parts[i]);
        if (!child) {
            child = appendChild(node, parts[i].toString());
            child->Data.ImageIndex = CFolderImageIndex;
        }
        node = child;
    }
    return AddNode(node, parts.back().toString(), imageIndex, stateIndex, settings);
}

TFileNode* TFileVTreeView::findPath(const QString& path) const {
    if (!path.startsWith(QLatin1Char('/')))
        return nullptr;
    TFileNode* node = FindChild(nullptr, QStringLiteral("/"));
    const QStringView whole(path);
    for (qsizetype i = 1; node && i < whole.size();) {
        const qsizetype slash = whole.indexOf(QLatin1Char('/'), i);
        const qsizetype end = slash < 0 ? whole.size() : slash;
        if (end > i)
            node = findChild(node, whole.sliced(i, end - i));
        i = end + 1;
    }
    return node;
}

void TFileVTreeView::AddFileList(const QStringList& paths) {
    Batch batch(*this);
    // Lists hold the files of one folder together: the folder found for one
    // line serves the next while the text before the last '/' stays the same
    // (nothing is deleted meanwhile).
    QStringView lastFolder;
    TFileNode* folder = nullptr;
    for (const QString& p : paths) {
        const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
        const QStringView name = QStringView(p).sliced(slash + 1);
        if (folder && slash > 0 && QStringView(p).first(slash) == lastFolder && StorableName(name)) {
            // A folder already in the tree never becomes a file.
            if (!IsFolder(findChild(folder, name)))
                AddNode(folder, name.toString(), 0, IncludeStateIndex, QString());
            continue;
        }
        TFileNode* node = IsFolder(findPath(p)) ? nullptr : AddPath(p, 0, QString(), IncludeStateIndex);
        folder = node && slash > 0 && !name.isEmpty() ? node->parent_ : nullptr;
        lastFolder = QStringView(p).first(std::max<qsizetype>(slash, 0));
    }
}

void TFileVTreeView::LoadPlainList(const QString& fileName) {
    const PlainFileList list = ReadPlainFileList(fileName);
    for (int i = 0; i < list.unreadable; ++i)
        noteSkipped(list.firstUnreadable);
    // A line naming a folder (one in the tree, or one on disk) adds it as Add
    // folder does; the runs of file lines between such lines go as one list.
    Batch batch(*this);
    bw::FolderProbe probe;
    // The node of a line's folder serves the lines after it in the same
    // folder, while the tree stays as it is (file lines wait in `files`).
    QStringView lastFolderPath;
    TFileNode* lastFolder = nullptr;
    bool folderKnown = false;
    auto lookUp = [&](const QString& p) -> TFileNode* {
        const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            return findPath(p);
        const QStringView folderPath = QStringView(p).first(slash);
        if (!folderKnown || folderPath != lastFolderPath) {
            lastFolder = findPath(folderPath.toString());
            lastFolderPath = folderPath;
            folderKnown = true;
        }
        return lastFolder ? findChild(lastFolder, QStringView(p).sliced(slash + 1)) : nullptr;
    };
    std::vector<TFileNode*> folders;
    QString workingSettings;
    QStringList files;
    for (const QString& p : list.paths) {
        TFileNode* known = lookUp(p);
        if (!IsFolder(known) && !probe.isDirectory(p)) {
            files << p;
            continue;
        }
        AddFileList(files);
        files.clear();
        folderKnown = false;
        // A folder the user added keeps its settings.
        QString settings = known ? known->Data.Settings : QString();
        if (settings.isEmpty()) {
            if (workingSettings.isEmpty())
                workingSettings = FileFilter.Text();
            settings = workingSettings;
        }
        if (TFileNode* node = AddPath(p, CFolderImageIndex, settings, IncludeStateIndex)) {
            node->Data.StateIndex = IncludeStateIndex;
            folders.push_back(node);
        }
    }
    AddFileList(files);
    if (viewMode_ == ftvmFull && !folders.empty())
        rescanAdded(folders);
}

void TFileVTreeView::AddFolder(const QString& path) {
    if (path.isEmpty())
        return;
    QString p = path;
    if (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const QString settings = FileFilter.Text();
    Batch batch(*this);
    TFileNode* node = AddPath(p, CFolderImageIndex, settings, IncludeStateIndex);
    if (!node)
        return;
    node->Data.StateIndex = IncludeStateIndex;
    if (viewMode_ == ftvmFull)
        rescanAdded({node});
}

void TFileVTreeView::rescanAdded(const std::vector<TFileNode*>& folders) {
    // Each folder is scanned anew, and with it every added, include-marked
    // folder below it, as a switch to Full view would: one that its new
    // settings no longer reach keeps its scanned files all the same. Marked
    // nodes survive RemoveUnmarked, so the pointers stay good.
    Busy busy(*this);
    Batch batch(*this);
    for (TFileNode* node : folders)
        RemoveUnmarked(node, -1);
    filters_.clear();
    std::unordered_set<const TFileNode*> done;
    for (TFileNode* node : folders)
        if (!done.count(node))
            showFullBelow(node, done);
}

// ---- scanning ----------------------------------------------------------------

const TFileFilter& TFileVTreeView::filterFor(const QString& settings) {
    auto it = filters_.constFind(settings);
    if (it != filters_.constEnd())
        return **it;
    auto f = std::make_shared<TFileFilter>();
    f->SetMaskDelimiter(FileFilter.MaskDelimiter());
    f->SetText(settings); // throws when the text does not read
    filters_.insert(settings, f);
    return *f;
}

void TFileVTreeView::ScanFolder(TFileNode* node, const QString& folderPath) {
    if (!node)
        return;
    Batch batch(*this);
    filters_.clear();
    scan(node, folderPath, nullptr);
}

void TFileVTreeView::scan(TFileNode* start, const QString& folderPath, std::vector<TFileNode*>* scanned) {
    // The filter in force above the start: that of the nearest folder above
    // that has settings, else the working filter.
    const TFileFilter* inherited = &FileFilter;
    for (TFileNode* up = start->parent_; up; up = up->parent_)
        if (!up->Data.Settings.isEmpty()) {
            inherited = &filterFor(up->Data.Settings);
            break;
        }
    QString startPath = folderPath;
    if (!startPath.endsWith(QLatin1Char('/')))
        startPath += QLatin1Char('/');

    std::vector<ScanItem> stack{{start, startPath, inherited}};
    std::vector<ScanItem> subfolders;
    while (!stack.empty()) {
        ScanItem item = std::move(stack.back());
        stack.pop_back();
        const TFileFilter* f =
            item.node->Data.Settings.isEmpty() ? item.filter : &filterFor(item.node->Data.Settings);
        if (scanned)
            scanned->push_back(item.node);
        unsigned mask = bw::faReadOnly | bw::faHidden | bw::faArchive;
        if (f->Recursive)
            mask |= bw::faDirectory;
        const std::vector<bw::FileEntry> entries =
            bw::listFolder(item.path, QStringLiteral("*"), mask, Qt::CaseSensitive,
                           f->NeedsDetails() ? bw::EntryDetails::All : bw::EntryDetails::NamesOnly);
        subfolders.clear();
        for (const bw::FileEntry& e : entries) {
            if (!e.isDirectory() || (e.attributes & bw::faSymLink))
                continue; // links to folders are not followed
            if (!e.exactName || !StorableName(e.name)) {
                noteSkipped(item.path + e.name);
                continue;
            }
            TFileNode* child = FindChild(item.node, e.name);
            if (!child) {
                child = appendChild(item.node, e.name);
                child->Data.ImageIndex = CFolderImageIndex;
            }
            if (child->Data.StateIndex == ExcludeStateIndex)
                continue; // an excluded folder keeps everything below it out
            subfolders.push_back({child, item.path + e.name + QLatin1Char('/'), f});
        }
        for (const bw::FileEntry& e : entries) {
            if (e.isDirectory())
                continue;
            if (!e.exactName || !StorableName(e.name)) {
                noteSkipped(item.path + e.name);
                continue;
            }
            if (f->Matches(e))
                AddNode(item.node, e.name, 0, -1, QString());
        }
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it)
            stack.push_back(std::move(*it));
    }
}

void TFileVTreeView::ShowFull() {
    Batch batch(*this);
    filters_.clear();
    std::unordered_set<const TFileNode*> done;
    showFullBelow(nullptr, done);
}

void TFileVTreeView::showFullBelow(TFileNode* top, std::unordered_set<const TFileNode*>& done) {
    std::vector<TFileNode*> scanned;
    struct Item {
        TFileNode* node;
        QString path; // folder path with a trailing '/'
    };
    std::vector<Item> stack;
    if (top) {
        stack.push_back({top, GetNodePath(top)});
    } else {
        for (auto it = root_.children_.rbegin(); it != root_.children_.rend(); ++it) {
            const QString& name = (*it)->Data.Name;
            stack.push_back({it->get(), name == QLatin1String("/") ? name : name + QLatin1Char('/')});
        }
    }
    while (!stack.empty()) {
        Item item = std::move(stack.back());
        stack.pop_back();
        TFileNode* n = item.node;
        if (n->Data.StateIndex == ExcludeStateIndex)
            continue;
        if (!n->Data.Settings.isEmpty() && n->Data.StateIndex == IncludeStateIndex && !done.count(n)) {
            // A folder scanned here with its own settings needs no second scan
            // when the walk reaches it below.
            scanned.clear();
            scan(n, item.path, &scanned);
            done.insert(scanned.begin(), scanned.end());
        }
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            if (IsFolder(it->get()))
                stack.push_back({it->get(), item.path + (*it)->Data.Name + QLatin1Char('/')});
    }
}

void TFileVTreeView::showFullBusy() {
    Busy busy(*this);
    ShowFull();
}

// ---- removing ----------------------------------------------------------------

void TFileVTreeView::RemoveUnmarked(TFileNode* node, std::int32_t state) {
    Batch batch(*this);
    TFileNode* start = node ? node : &root_;
    struct Frame {
        TFileNode* node;
        std::size_t next;
    };
    std::vector<Frame> stack{{start, 0}};
    while (!stack.empty()) {
        const std::size_t top = stack.size() - 1;
        TFileNode* n = stack[top].node;
        if (stack[top].next < n->children_.size()) {
            TFileNode* c = n->children_[stack[top].next++].get();
            c->doomed_ = false;
            if (c->HasChildren())
                stack.push_back({c, 0});
            else
                c->doomed_ = c->Data.StateIndex == -1;
            continue;
        }
        // Every child handled: drop the doomed ones in one pass.
        auto& kids = n->children_;
        const auto firstDoomed = std::find_if(kids.begin(), kids.end(), [](const auto& c) { return c->doomed_; });
        if (firstDoomed != kids.end()) {
            for (auto it = firstDoomed; it != kids.end(); ++it)
                if ((*it)->doomed_ && inSubtree(selected_, it->get()))
                    selected_ = nullptr;
            kids.erase(std::remove_if(firstDoomed, kids.end(), [](const auto& c) { return c->doomed_; }),
                       kids.end());
            n->index_.reset();
            changed_ = true;
        }
        stack.pop_back();
        if (n != start)
            n->doomed_ = kids.empty() && n->Data.StateIndex == state;
    }
    if (node && node->children_.empty() && node->Data.StateIndex == state)
        deleteNode(node);
}

void TFileVTreeView::SetNodeState(TFileNode* node, std::int32_t state) {
    if (!node || node->Data.StateIndex == state)
        return;
    node->Data.StateIndex = state;
    if (batch_ == 0 && observer_)
        observer_->nodeChanged(node);
    else
        changed_ = true;
    if (state == -1 && viewMode_ == ftvmBrief && !node->HasChildren())
        DeleteWithEmptyParents(node);
}

void TFileVTreeView::DeleteWithEmptyParents(TFileNode* node) {
    if (!node)
        return;
    TFileNode* parent = node->parent_;
    deleteNode(node);
    while (parent && parent->children_.empty() && parent->Data.StateIndex == -1) {
        TFileNode* up = parent->parent_;
        deleteNode(parent);
        parent = up;
    }
}

void TFileVTreeView::RemoveSelected() {
    if (selected_)
        DeleteWithEmptyParents(selected_);
}

// ---- views and lists ---------------------------------------------------------

void TFileVTreeView::SetViewMode(TFTViewMode mode) {
    if (mode == viewMode_)
        return;
    Busy busy(*this);
    Batch batch(*this);
    if (mode == ftvmBrief)
        RemoveUnmarked(nullptr, -1);
    else
        ShowFull();
    viewMode_ = mode;
}

QString TFileVTreeView::GetNodePath(const TFileNode* node) const {
    if (!node)
        return QString();
    QStringList names;
    for (const TFileNode* n = node; n; n = n->parent_)
        names.prepend(n->Data.Name);
    QString path;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i == 0 && names[0] == QLatin1String("/")) {
            path = names[0];
            continue;
        }
        path += names[i];
        if (i + 1 < names.size() || IsFolder(node))
            path += QLatin1Char('/');
    }
    return path;
}

void TFileVTreeView::walkFiles(QStringList& list) const {
    struct Item {
        const TFileNode* node;
        QString folder; // path of the node's parent with a trailing '/'
    };
    std::vector<Item> stack;
    for (auto it = root_.children_.rbegin(); it != root_.children_.rend(); ++it)
        stack.push_back({it->get(), QString()});
    while (!stack.empty()) {
        Item item = std::move(stack.back());
        stack.pop_back();
        const TFileNode* n = item.node;
        if (n->Data.StateIndex == ExcludeStateIndex)
            continue; // neither it nor anything below it
        if (!IsFolder(n))
            list << item.folder + n->Data.Name;
        if (n->children_.empty())
            continue;
        const QString folder = (item.folder.isEmpty() && n->Data.Name == QLatin1String("/"))
                                   ? n->Data.Name
                                   : item.folder + n->Data.Name + QLatin1Char('/');
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            stack.push_back({it->get(), folder});
    }
}

void TFileVTreeView::copyNodesFrom(const TFileVTreeView& other) {
    std::vector<std::pair<const TFileNode*, TFileNode*>> stack{{&other.root_, &root_}};
    while (!stack.empty()) {
        auto [from, to] = stack.back();
        stack.pop_back();
        to->children_.reserve(from->children_.size());
        for (const auto& c : from->children_) {
            auto copy = std::make_unique<TFileNode>();
            copy->Data = c->Data;
            copy->expanded_ = c->expanded_;
            copy->parent_ = to == &root_ ? nullptr : to;
            stack.emplace_back(c.get(), copy.get());
            to->children_.push_back(std::move(copy));
        }
    }
}

void TFileVTreeView::takeNodesFrom(TFileVTreeView& other) {
    Batch batch(*this);
    std::swap(root_.children_, other.root_.children_);
    root_.index_.reset();
    other.root_.index_.reset();
    selected_ = nullptr;
    changed_ = true;
}

void TFileVTreeView::GetFileList(QStringList& list) {
    list.clear();
    if (viewMode_ == ftvmFull) {
        walkFiles(list);
        return;
    }
    // Full view is built aside, so the tree and its view see nothing.
    Busy busy(*this);
    TFileVTreeView full;
    full.FileFilter.Assign(FileFilter);
    full.IncludeStateIndex = IncludeStateIndex;
    full.ExcludeStateIndex = ExcludeStateIndex;
    full.CFolderImageIndex = CFolderImageIndex;
    full.OFolderImageIndex = OFolderImageIndex;
    full.copyNodesFrom(*this);
    struct Counts {
        TFileVTreeView& from;
        TFileVTreeView& to;
        ~Counts() {
            for (int i = 0; i < from.skipped_; ++i)
                to.noteSkipped(from.firstSkipped_);
        }
    } counts{full, *this};
    full.ShowFull();
    full.walkFiles(list);
}

void TFileVTreeView::CheckFiles() {
    Busy busy(*this);
    SetViewMode(ftvmBrief);
    selected_ = nullptr;
    std::vector<const TFileNode*> stack;
    for (auto it = root_.children_.rbegin(); it != root_.children_.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        const TFileNode* n = stack.back();
        stack.pop_back();
        if (!IsFolder(n) && !bw::fileExists(GetNodePath(n))) {
            selected_ = const_cast<TFileNode*>(n);
            return;
        }
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            stack.push_back(it->get());
    }
}

// ---- selection and expansion -------------------------------------------------

void TFileVTreeView::Select(TFileNode* node) { selected_ = node; }

void TFileVTreeView::SetExpanded(TFileNode* node, bool expanded) {
    if (node)
        node->expanded_ = expanded;
}

void TFileVTreeView::SetAllExpanded(bool expanded) {
    std::vector<TFileNode*> stack{&root_};
    while (!stack.empty()) {
        TFileNode* n = stack.back();
        stack.pop_back();
        for (const auto& c : n->children_) {
            if (c->HasChildren())
                c->expanded_ = expanded;
            stack.push_back(c.get());
        }
    }
}
