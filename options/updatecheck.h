#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
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
// page when that one is newer. Every failure is silent. It deletes itself
// when it ends; deleting it earlier (the program closing) aborts the fetch.
class TUpdateThread : public QObject {
    Q_OBJECT
public:
    explicit TUpdateThread(const TUpdateRequest& request, const TLangManager* langs, QObject* parent = nullptr);
    ~TUpdateThread() override;

    // Opens the page; run on Yes to the question.
    std::function<void()> OnGoToSite;
    // How long the transfer may stall before it counts as failed.
    int TransferTimeout = 30000;

    // Starts the fetch; everything after happens as the answer arrives.
    void Execute();
    void AskGoToSite();
    void ShowNoNewVersion();

signals:
    // The check is over, its question or message closed.
    void Finished();

private:
    void pageArrived();
    void finish();
    QString text(const char* key) const;

    TUpdateRequest request_;
    const TLangManager* langs_;
    QNetworkAccessManager* http_;
    QPointer<QNetworkReply> reply_;
    bool finished_ = false;
};

// The check that runs, or nullptr: at most one at a time.
extern TUpdateThread* UpdateThread;
