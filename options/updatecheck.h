#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class TLangManager;

// What one check copies when it starts; it reads nothing else afterwards.
struct TUpdateRequest {
    // "Check Now!": say so when there is no newer version, too.
    bool ShowNoNews = false;
    QString Address;
    QString ProxyServer;
    // The port field's text read as a decimal number; 0 when it is not one.
    int ProxyPort = 0;
    QString ProxyUserName;
    QString ProxyPassword;
    // Our own version string.
    QString Version;

    static int PortFromText(const QString& text);
};

// One check for a newer version: fetches the news page without holding up
// the interface, reads the version it names and asks whether to open the
// page when that one is newer. Every failure is silent; a page longer than
// MaxPageSize and a fetch still under way TimeLimit after it started are
// failures too, so that a server that never stops sending cannot hold the
// check (and with it every later one). It deletes itself when it ends;
// deleting it earlier (the program closing) aborts the fetch.
class TUpdateThread : public QObject {
    Q_OBJECT
public:
    explicit TUpdateThread(const TUpdateRequest& request, const TLangManager* langs, QObject* parent = nullptr);
    ~TUpdateThread() override;

    // Opens the page; run on Yes to the question.
    std::function<void()> OnGoToSite;
    // How long the transfer may stall before it counts as failed.
    int TransferTimeout = 30000;
    // How long the whole fetch may take, in milliseconds, from Execute on.
    int TimeLimit = 30000;
    static constexpr qint64 MaxPageSize = 4 * 1024 * 1024;

    // Starts the fetch; everything after happens as the answer arrives.
    void Execute();
    void AskGoToSite();
    void ShowNoNewVersion();

signals:
    // The check is over, its question or message closed.
    void Finished();

private:
    void pageArrived();
    // Takes what has come so far; fails the check once the page is too long.
    void readSome();
    // Drops the fetch and ends the check without a word.
    void fail();
    void finish();
    QString text(const char* key) const;

    TUpdateRequest request_;
    const TLangManager* langs_;
    QNetworkAccessManager* http_;
    QPointer<QNetworkReply> reply_;
    QTimer* limit_;
    QByteArray page_;
    bool finished_ = false;
};

// The check that runs, or nullptr: at most one at a time.
extern TUpdateThread* UpdateThread;
