#include "app/pluginhost.h"

#include <QFileInfo>
#include <exception>

#include "platform/error.h"
#include "platform/format.h"
#include "platform/fs.h"
#include "platform/prompt.h"

bool TMyReporter::AddLine(const QString& line) {
    report_.Append(line);
    return true;
}

TPluginHost::TPluginHost(std::vector<TPluginFactory> builtIns) : builtIns_(std::move(builtIns)) {}

TPluginHost::~TPluginHost() { Unlink(); }

void TPluginHost::Unlink() {
    if (applying_) // the loop holds them
        return;
    // Each plug-in goes in list order; its destruction stores its panel's selection.
    for (TItem& item : items_)
        item.Plugin.reset();
    items_.clear();
    shown_ = -1;
    itemIndex_ = -1;
}

void TPluginHost::Link() {
    if (applying_)
        return;
    Unlink();
    for (const TPluginFactory& make : builtIns_) {
        std::unique_ptr<IPlugin> plugin = make ? make() : nullptr;
        if (!plugin)
            continue;
        TItem item;
        item.Name = plugin->GetName().left(kMaxNameLength);
        item.Plugin = std::move(plugin);
        items_.push_back(std::move(item));
    }
    itemIndex_ = items_.empty() ? -1 : 0;
}

IPlugin* TPluginHost::Plugin(int index) const {
    return index >= 0 && index < Count() ? items_[std::size_t(index)].Plugin.get() : nullptr;
}

QString TPluginHost::Name(int index) const {
    return index >= 0 && index < Count() ? items_[std::size_t(index)].Name : QString();
}

QStringList TPluginHost::Names() const {
    QStringList names;
    for (const TItem& item : items_)
        names << item.Name;
    return names;
}

bool TPluginHost::Checked(int index) const { return index >= 0 && index < Count() && items_[std::size_t(index)].Checked; }

void TPluginHost::SetChecked(int index, bool checked) {
    if (index >= 0 && index < Count())
        items_[std::size_t(index)].Checked = checked;
}

bool TPluginHost::AnyChecked() const {
    for (const TItem& item : items_)
        if (item.Checked)
            return true;
    return false;
}

void TPluginHost::SetItemIndex(int index) { itemIndex_ = index >= 0 && index < Count() ? index : -1; }

void TPluginHost::Click(QWidget* parent) {
    const int k = itemIndex_;
    if (k == shown_)
        return;
    if (IPlugin* old = Plugin(shown_))
        old->HideConfig();
    shown_ = k;
    if (IPlugin* plugin = Plugin(k))
        plugin->ShowConfig(parent);
}

void TPluginHost::ApplyToFiles(const QStringList& files, const TApplyParts& parts, QString* current) {
    TInfo info;
    info.Continue = true;
    info.Report = parts.Reporter;
    for (const QString& path : files) {
        if (current)
            *current = path;
        info.FileName = path;
        // A file gone since it was listed gets no call and no step.
        const QFileInfo file(path);
        if (!file.isFile())
            continue;
        if (parts.MakeBackup && !parts.MakeBackup(path)) {
            if (parts.Reporter)
                parts.Reporter->AddLine(bw::format(TextOr(parts.Texts, QStringLiteral("szBackupAbortedSkipped"),
                                                          QStringLiteral("%s: not converted, its backup copy was aborted")),
                                                   {path}));
        } else {
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (!items_[i].Checked || !items_[i].Plugin)
                    continue;
                items_[i].Plugin->Prepare();
                items_[i].Plugin->Process(info);
            }
        }
        if (parts.Gauge)
            parts.Gauge->Step(file.fileName());
        if (parts.PumpEvents)
            parts.PumpEvents();
    }
}

namespace {

void ShowFailure(const TextSource& texts, const QString& path, const QString& what) {
    const QString caption = TextOr(texts, QStringLiteral("szApplicationTitle"), QStringLiteral("Brindlewick"));
    const QString text =
        path.isEmpty() ? what
                       : bw::format(TextOr(texts, QStringLiteral("szPluginsStopped"),
                                           QStringLiteral("The plug-ins stopped at %s: %s")),
                                    {path, what});
    bw::prompt().error(caption, text);
}

// Runs step; an exception becomes a message naming path as it stands then.
template <typename F>
bool Guarded(const TextSource& texts, const QString& path, F&& step) {
    try {
        step();
        return true;
    } catch (const bw::Error& e) {
        ShowFailure(texts, path, e.message());
    } catch (const std::exception& e) {
        ShowFailure(texts, path, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowFailure(texts, path, TextOr(texts, QStringLiteral("szUnknownError"), QStringLiteral("unknown error")));
    }
    return false;
}

} // namespace

void TPluginHost::Apply(const TApplyParts& parts) {
    if (applying_)
        return;
    QStringList& files = parts.FilesToProcess;
    bool filled = Guarded(parts.Texts, QString(), [&] {
        files.clear();
        if (parts.GetFilesToProcess)
            parts.GetFilesToProcess(files);
    });
    if (!filled || files.isEmpty())
        return;

    struct Busy {
        TPluginHost& host;
        const TApplyParts& parts;
        Busy(TPluginHost& h, const TApplyParts& p) : host(h), parts(p) {
            host.applying_ = true;
            if (parts.BusyChanged)
                parts.BusyChanged();
        }
        ~Busy() {
            host.applying_ = false;
            if (parts.BusyChanged)
                parts.BusyChanged();
        }
    } busy(*this, parts);

    QString current;
    const bool started = Guarded(parts.Texts, current, [&] {
        if (parts.BeforeRun)
            parts.BeforeRun();
        if (parts.ShowInFiles)
            parts.ShowInFiles();
    });
    if (started)
        Guarded(parts.Texts, current, [&] {
            // Folders (the files' and their backups') are read for what
            // killed saves left behind once per run, not once per file.
            const bw::ReplaceSession saves;
            // The loop works on its own copy: the list stays as filled
            // whatever a pumped event does to it.
            const QStringList paths = files;
            ApplyToFiles(paths, parts, &current);
        });
    // The closing steps run however the loop ended.
    Guarded(parts.Texts, QString(), [&] {
        if (parts.AfterRun)
            parts.AfterRun();
    });
}
