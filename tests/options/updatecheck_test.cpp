#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "options/updatecheck.h"
#include "services/langmanager.h"
#include "tests/options/localserver.h"
#include "tests/support/qtprint.h"
#include "tests/support/languages.h"
#include "tests/support/testutil.h"

using namespace bw;

namespace {

const QByteArray kWord = "\xC2\xE5\xF0\xF1\xE8\xFF\x20";

QByteArray page(const QByteArray& version) { return "<html><!---NEWS---><p>" + kWord + version + "</p></html>"; }

class UpdateCheckTest : public test::TempDirTest {
protected:
    UpdateCheckTest() {
        bw::test::useShippedLanguages(langs);
        request.Version = "2.9b1 build 5";
        request.Address = server.url();
    }
    // Runs one check to its end; true when it ended in time.
    bool check(int timeout = 30000, int timeLimit = 30000) {
        bool finished = false;
        auto* t = new TUpdateThread(request, &langs);
        t->TransferTimeout = timeout;
        t->TimeLimit = timeLimit;
        t->OnGoToSite = [this] { ++wentToSite; };
        QObject::connect(t, &TUpdateThread::Finished, [&] { finished = true; });
        UpdateThread = t;
        t->Execute();
        QElapsedTimer timer;
        timer.start();
        while (!finished && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return finished && UpdateThread == nullptr;
    }

    TLangManager langs;
    test::LocalServer server;
    TUpdateRequest request;
    int wentToSite = 0;
};

TEST_F(UpdateCheckTest, AsksOnlyAboutANewerVersion) {
    struct Case {
        const char* name;
        QByteArray response;
        bool showNoNews;
        Answer answer;
        QString asked; // the message key shown, empty for silence
    };
    const Case cases[] = {
        {"newer, Yes", test::LocalServer::response(200, page("2.10 Release build 1")), false, Answer::Yes, "szGotoSite"},
        {"newer, No", test::LocalServer::response(200, page("2.9b1 build 50")), true, Answer::No, "szGotoSite"},
        {"equal, Check Now", test::LocalServer::response(200, page("2.9b1 build 5")), true, Answer::None, "szNoNewVersion"},
        {"equal, at start", test::LocalServer::response(200, page("2.9b1 build 5")), false, Answer::None, ""},
        {"error status with a page", test::LocalServer::response(404, page("9.0 Release build 1")), true, Answer::None, ""},
        {"empty page", test::LocalServer::response(200, ""), true, Answer::None, ""},
        {"no closing <", test::LocalServer::response(200, "<!---NEWS--->" + kWord + "9.0 Release build 1"), true,
         Answer::None, ""},
        {"redirected", test::LocalServer::response(302, "", "Location: /moved\r\n"), false, Answer::Yes, "szGotoSite"},
        // Only the page redirected to is read, not the body of the redirection.
        {"redirected with a body", test::LocalServer::response(302, page("2.9b1 build 5"), "Location: /moved\r\n"), false,
         Answer::Yes, "szGotoSite"},
    };
    server.byPath["/moved"] = test::LocalServer::response(200, page("3.0 Release build 1"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.defaultResponse = c.response;
        request.ShowNoNews = c.showNoNews;
        const std::size_t before = prompt.asked().size();
        const int sitesBefore = wentToSite;
        if (c.answer != Answer::None)
            prompt.push(c.answer);
        ASSERT_TRUE(check());
        ASSERT_EQ(prompt.asked().size() - before, c.asked.isEmpty() ? 0u : 1u);
        if (!c.asked.isEmpty()) {
            EXPECT_EQ(prompt.asked().back().text, langs.GetText(c.asked));
        }
        if (c.asked == "szGotoSite") {
            EXPECT_EQ(prompt.asked().back().caption, langs.GetText("szConfirmation"));
        }
        EXPECT_EQ(wentToSite - sitesBefore, c.answer == Answer::Yes ? 1 : 0);
    }
    ASSERT_FALSE(server.requests.isEmpty());
    EXPECT_TRUE(server.requests.front().contains("User-Agent: Brindlewick/2.9b1 build 5"));
}

TEST_F(UpdateCheckTest, FailuresAreSilent) {
    request.ShowNoNews = true;
    // Nobody listens.
    {
        test::LocalServer closed;
        request.Address = closed.url();
    }
    EXPECT_TRUE(check());
    // A server that accepts and never answers.
    request.Address = server.url();
    server.defaultResponse.clear();
    EXPECT_TRUE(check(300));
    // Addresses that are no web page are never fetched.
    const int requests = static_cast<int>(server.requests.size());
    for (const char* address : {"", "/bin/sh", "file:///etc/passwd", "mailto:a@b.invalid"}) {
        request.Address = address;
        EXPECT_TRUE(check()) << address;
    }
    EXPECT_EQ(server.requests.size(), requests);
    EXPECT_TRUE(prompt.asked().empty());
}

// A page is read up to 4 MiB and for a limited time: a longer one (even one
// naming a newer version) or one that never ends, sent fast or by drips (the
// stall timeout never fires), fails without a word and frees the way for the
// next check (check() tells).
TEST_F(UpdateCheckTest, APageTooLongOrNeverEndingFailsSilently) {
    request.ShowNoNews = true;
    const QByteArray newer = page("9.0 Release build 1");
    struct Case {
        const char* name;
        qint64 size;      // a page naming a newer version, of this size; or
        QByteArray chunk; // a page that never ends, sent in these chunks
        int intervalMs;
        int timeLimit;
    };
    const Case cases[] = {
        {"exactly the limit", TUpdateThread::MaxPageSize, {}, 0, 30000},
        {"a byte more", TUpdateThread::MaxPageSize + 1, {}, 0, 30000},
        {"a flood, cut by its length", 0, QByteArray(64 * 1024, 'x'), 5, 30000},
        {"drips, cut by the time limit", 0, "x", 20, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.streamHead = c.size ? QByteArray() : "HTTP/1.1 200 X\r\nConnection: close\r\n\r\n<html><!---NEWS--->";
        server.streamChunk = c.chunk;
        server.streamIntervalMs = c.intervalMs;
        if (c.size)
            server.defaultResponse = test::LocalServer::response(200, newer + QByteArray(c.size - newer.size(), ' '));
        const bool asks = c.size == TUpdateThread::MaxPageSize;
        const std::size_t before = prompt.asked().size();
        if (asks)
            prompt.push(Answer::No);
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(check(30000, c.timeLimit));
        EXPECT_LT(timer.elapsed(), 8000);
        EXPECT_EQ(prompt.asked().size() - before, asks ? 1u : 0u);
    }
}

TEST_F(UpdateCheckTest, GoesThroughTheProxy) {
    server.defaultResponse = test::LocalServer::response(200, page("2.9b1 build 5"));
    request.ShowNoNews = true;
    request.Address = "http://news.example.invalid/page";
    request.ProxyServer = "127.0.0.1";
    request.ProxyPort = server.port();
    ASSERT_TRUE(check());
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(server.requests[0].startsWith("GET http://news.example.invalid/page HTTP/1.1"));
    EXPECT_EQ(prompt.asked().size(), 1u);

    // A port that is no number is 0: the check fails without a word.
    request.ProxyPort = TUpdateRequest::PortFromText("abc");
    ASSERT_TRUE(check());
    EXPECT_EQ(server.requests.size(), 1);
    EXPECT_EQ(prompt.asked().size(), 1u);
}

} // namespace
