#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <optional>
#include <vector>

namespace bw {

// What a file chooser is asked: its title, the folder it opens in, the filter
// ("Text files (*.txt);;All files (*)"), the suffix added to a typed name
// without one, and the name it offers.
struct FileRequest {
    QString title;
    QString folder;
    QString filter;
    QString defaultSuffix;
    QString fileName;
};

// Every file, folder and font chooser of the program and the desktop opener go
// through the current chooser, so that tests answer from a script and nothing
// ever blocks them. An empty answer means the user cancelled.
class Chooser {
public:
    virtual ~Chooser() = default;
    // Existing files to open; several only when `multiple`.
    virtual QStringList openFiles(const FileRequest& request, bool multiple) = 0;
    // The file to save into.
    virtual QString saveFile(const FileRequest& request) = 0;
    // An existing folder ("Browse for folder").
    virtual QString folder(const QString& title, const QString& start) = 0;
    virtual std::optional<QFont> font(const QString& title, const QFont& initial) = 0;
    // Opens an address with the desktop's program for it; false when that failed.
    virtual bool openUrl(const QUrl& url) = 0;

    QString openFile(const FileRequest& request) {
        const QStringList files = openFiles(request, false);
        return files.isEmpty() ? QString() : files.first();
    }
};

// The chooser in use. Until one is installed, a scripted chooser with an empty
// script answers: every dialog is cancelled and nothing is opened.
Chooser& chooser();
// Installs c (not owned) and returns the previous one; nullptr restores the default.
Chooser* setChooser(Chooser* c);

// The real dialogs (QFileDialog, QFontDialog) and QDesktopServices.
class DialogChooser : public Chooser {
public:
    QStringList openFiles(const FileRequest& request, bool multiple) override;
    QString saveFile(const FileRequest& request) override;
    QString folder(const QString& title, const QString& start) override;
    std::optional<QFont> font(const QString& title, const QFont& initial) override;
    bool openUrl(const QUrl& url) override;
};

// Answers from queues and records every request; a question whose queue is
// empty is cancelled, and opened addresses are only recorded.
class ScriptedChooser : public Chooser {
public:
    enum class Kind { OpenFiles, SaveFile, Folder, Font, OpenUrl };
    struct Request {
        Kind kind;
        QString title;
        QString folder;
        QString filter;
        QString defaultSuffix;
        bool multiple = false;
    };

    void pushFiles(QStringList files) { files_.push_back(std::move(files)); }
    void pushSave(QString file) { saves_.push_back(std::move(file)); }
    void pushFolder(QString folder) { folders_.push_back(std::move(folder)); }
    void pushFont(std::optional<QFont> font) { fonts_.push_back(std::move(font)); }
    // What openUrl answers (true unless set).
    void setOpenResult(bool ok) { openResult_ = ok; }

    QStringList openFiles(const FileRequest& request, bool multiple) override;
    QString saveFile(const FileRequest& request) override;
    QString folder(const QString& title, const QString& start) override;
    std::optional<QFont> font(const QString& title, const QFont& initial) override;
    bool openUrl(const QUrl& url) override;

    const std::vector<Request>& requests() const { return requests_; }
    const std::vector<QUrl>& opened() const { return opened_; }

private:
    std::deque<QStringList> files_;
    std::deque<QString> saves_;
    std::deque<QString> folders_;
    std::deque<std::optional<QFont>> fonts_;
    bool openResult_ = true;
    std::vector<Request> requests_;
    std::vector<QUrl> opened_;
};

// Installs a chooser for the life of a scope.
class ScopedChooser {
public:
    explicit ScopedChooser(Chooser& c) : previous_(setChooser(&c)) {}
    ~ScopedChooser() { setChooser(previous_); }
    ScopedChooser(const ScopedChooser&) = delete;
    ScopedChooser& operator=(const ScopedChooser&) = delete;

private:
    Chooser* previous_;
};

} // namespace bw
