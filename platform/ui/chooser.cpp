#include "platform/ui/chooser.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>

namespace bw {

namespace {
ScriptedChooser& defaultChooser() {
    static ScriptedChooser c;
    return c;
}
Chooser* current = nullptr;

template <typename T>
T takeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
} // namespace

Chooser& chooser() { return current ? *current : defaultChooser(); }

Chooser* setChooser(Chooser* c) {
    Chooser* previous = current;
    current = c;
    return previous;
}

QStringList DialogChooser::openFiles(const FileRequest& request, bool multiple) {
    QFileDialog dialog(nullptr, request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString DialogChooser::saveFile(const FileRequest& request) {
    QFileDialog dialog(nullptr, request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The callers ask before replacing a file themselves where they must.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString DialogChooser::folder(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(nullptr, title, start);
}

std::optional<QFont> DialogChooser::font(const QString& title, const QFont& initial) {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, nullptr, title);
    if (!ok)
        return std::nullopt;
    return f;
}

bool DialogChooser::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

QStringList ScriptedChooser::openFiles(const FileRequest& request, bool multiple) {
    requests_.push_back({Kind::OpenFiles, request.title, request.folder, request.filter, request.defaultSuffix, multiple});
    return takeFront(files_, QStringList());
}

QString ScriptedChooser::saveFile(const FileRequest& request) {
    requests_.push_back({Kind::SaveFile, request.title, request.folder, request.filter, request.defaultSuffix, false});
    return takeFront(saves_, QString());
}

QString ScriptedChooser::folder(const QString& title, const QString& start) {
    requests_.push_back({Kind::Folder, title, start, {}, {}, false});
    return takeFront(folders_, QString());
}

std::optional<QFont> ScriptedChooser::font(const QString& title, const QFont& initial) {
    (void)initial;
    requests_.push_back({Kind::Font, title, {}, {}, {}, false});
    return takeFront(fonts_, std::optional<QFont>());
}

bool ScriptedChooser::openUrl(const QUrl& url) {
    requests_.push_back({Kind::OpenUrl, url.toString(), {}, {}, {}, false});
    opened_.push_back(url);
    return openResult_;
}

} // namespace bw
