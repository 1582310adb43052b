#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <poll.h>

#include "core/reporting/http_client.h"
#include "core/reporting/report_endpoints.h"
#include "core/reporting/smtp_client.h"
#include "core/reporting/socket_client.h"
#include "platform/win32/poll_wait.h"
#include "tests/core/report_settings_guard.h"
#include "tests/support/http_server.h"
#include "tests/support/smtp_server.h"

namespace {

using testing_support::ServerScript;
using testing_support::SmtpServer;

const std::string Doctype = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
                            "\"http://www.w3.org/TR/html4/loose.dtd\">";
const std::string HtmlHead =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head><body>";

std::string Headers(const std::string& to, const std::string& subject) {
    return "From: sender@test.example\r\nTo: " + to +
           "\r\nReply-to: sender@test.example\r\nContent-Type: text/html; charset=Windows-1251\r\n"
           "Content-Transfer-Encoding: 8bit\r\nMIME-Version: 1.0\r\nSubject: " +
           subject + "\r\n\r\n";
}

std::string Opening() {
    return "EHLO 127.0.0.1\r\nMAIL FROM:<sender@test.example>\r\n";
}

int OpenDescriptors() {
    int count = 0;
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (::readdir(folder))
            ++count;
        ::closedir(folder);
    }
    return count;
}

class MailAndPost : public ::testing::Test {
  protected:
    testing_support::ReportSettingsGuard settings;
    void SetUp() override { settings.Get().senderAddress = "sender@test.example"; }
};

TEST_F(MailAndPost, MailDialogueByteForByte) {
    SmtpServer server;
    settings.PointMailAt(server.Port());
    // "Отчёт" and "Сбой" in code page 1251.
    TString subject(u"Отчёт 4.0"), body(u"<b>Сбой</b>\r\nline");
    EXPECT_EQ(SmtpSendHtmlMail({"a@x.example", "b@x.example"}, subject, body, true), MailSent);
    ASSERT_TRUE(server.WaitForClosed(1));
    std::string expected = Opening() + "RCPT TO:<a@x.example>\r\nRCPT TO:<b@x.example>\r\nDATA\r\n" +
                           Headers("a@x.example;b@x.example;", "\xCE\xF2\xF7\xB8\xF2 4.0") + Doctype +
                           HtmlHead + "<b>\xD1\xE1\xEE\xE9</b>\r\nline</body></html>\r\n.\r\nQUIT\r\n";
    EXPECT_EQ(server.Received(), std::vector<std::string>{expected});
}

TEST_F(MailAndPost, PlainMailAndEmptyListStillSayTextHtml) {
    SmtpServer server;
    settings.PointMailAt(server.Port());
    EXPECT_EQ(SmtpSendHtmlMail({"a@x.example"}, TString("s"), TString("body"), false), MailSent);
    EXPECT_EQ(SmtpSendHtmlMail({}, TString(""), TString(""), false), MailSent);
    ASSERT_TRUE(server.WaitForClosed(2));
    auto received = server.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], Opening() + "RCPT TO:<a@x.example>\r\nDATA\r\n" + Headers("a@x.example;", "s") +
                               "body\r\n.\r\nQUIT\r\n");
    EXPECT_EQ(received[1], Opening() + "DATA\r\n" + Headers("", "") + "\r\n.\r\nQUIT\r\n");
}

TEST_F(MailAndPost, DotThatStartsALineIsDoubledSoTheMailArrivesWhole) {
    struct Row {
        std::string body;
        bool html;
        std::string sent;
    };
    const Row rows[] = {
        {".first\r\n.\r\nsecond\r\n..\r\nlast.", false, "..first\r\n..\r\nsecond\r\n...\r\nlast."},
        {"a\n.b", false, "a\n..b"}, // a bare LF, which some servers take for a line end
        {".x\r\n.", true, Doctype + HtmlHead + ".x\r\n..</body></html>"},
    };
    SmtpServer server;
    settings.PointMailAt(server.Port());
    for (const auto& row : rows)
        EXPECT_EQ(SmtpSendHtmlMail({"a@x.example"}, TString("s"), TString(row.body.c_str()), row.html),
                  MailSent);
    ASSERT_TRUE(server.WaitForClosed(std::size(rows)));
    auto received = server.Received();
    ASSERT_EQ(received.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(received[i], Opening() + "RCPT TO:<a@x.example>\r\nDATA\r\n" +
                                   Headers("a@x.example;", "s") + rows[i].sent + "\r\n.\r\nQUIT\r\n")
            << rows[i].body;
}

TEST_F(MailAndPost, ErrorRepliesStillCountAsAnswers) {
    SmtpServer server(ServerScript{true});
    settings.PointMailAt(server.Port());
    EXPECT_EQ(SmtpSendHtmlMail({"a@x.example"}, TString("s"), TString("b"), true), MailSent);
    ASSERT_TRUE(server.WaitForClosed(1));
    std::string received = server.Received().at(0);
    EXPECT_EQ(received.substr(received.size() - 6), "QUIT\r\n");
}

TEST_F(MailAndPost, SilentStepStopsTheDialogueWithoutQuit) {
    settings.Get().waitMs = 150;
    struct Row {
        std::size_t replies;
        std::string sent; // everything the client sent before it gave up
    };
    const Row rows[] = {
        {0, ""},                                      // accepts, never greets
        {3, Opening() + "RCPT TO:<a@x.example>\r\n"}, // first recipient unanswered
        {5, Opening() + "RCPT TO:<a@x.example>\r\nRCPT TO:<b@x.example>\r\nDATA\r\n"},
    };
    for (const auto& row : rows) {
        SmtpServer server(ServerScript{false, row.replies});
        settings.PointMailAt(server.Port());
        EXPECT_EQ(SmtpSendHtmlMail({"a@x.example", "b@x.example"}, TString("s"), TString("b"), true),
                  MailUnanswered);
        ASSERT_TRUE(server.WaitForClosed(1));
        EXPECT_EQ(server.Received().at(0), row.sent) << row.replies;
    }
    // Only the QUIT goes unanswered: still a failure.
    SmtpServer server(ServerScript{false, 6});
    settings.PointMailAt(server.Port());
    EXPECT_EQ(SmtpSendHtmlMail({"a@x.example"}, TString("s"), TString("b"), false), MailUnanswered);
}

TEST_F(MailAndPost, SendToAPeerThatClosedFailsWithoutEndingTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SmtpServer server(ServerScript{.closeAfterBytes = 1});
    auto sendAfterTheClose = [&] {
        std::signal(SIGPIPE, SIG_DFL); // as in a program that never started WinSock
        SOCKET socket = INVALID_SOCKET;
        WSAEVENT event = WSA_INVALID_EVENT;
        if (TcpConnect("127.0.0.1", server.Port(), socket, event)) std::exit(2);
        SocketSendText(socket, "EHLO 127.0.0.1\r\n"); // taken: the server answers and closes
        server.WaitForClosed(1);
        SocketSendText(socket, "MAIL FROM:<a@x.example>\r\n"); // the closed end resets the connection
        pollfd reset{socket, 0, 0};                            // POLLHUP once the reset has come
        ::poll(&reset, 1, 5000);
        std::exit(SocketSendText(socket, "RCPT TO:<b@x.example>\r\n") == SOCKET_ERROR ? 0 : 1);
    };
    EXPECT_EXIT(sendAfterTheClose(), ::testing::ExitedWithCode(0), "");
}

TEST_F(MailAndPost, NoConnectionWhenTheNameDoesNotResolve) {
    // A label longer than DNS allows: the resolver refuses it without asking any server.
    settings.Get().mailExchanger = std::string(70, 'a') + ".invalid";
    int before = OpenDescriptors();
    std::uint64_t start = win32::RealNowMs();
    EXPECT_EQ(SmtpSendHtmlMail({"a@x.example"}, TString("s"), TString("b"), true), MailNoConnection);
    EXPECT_EQ(HttpPost("", "/p", "", "x"), PostNoConnection);
    EXPECT_LT(win32::RealNowMs() - start, 1000u);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(MailAndPost, RefusedConnectionCountsAsConnectedButGoesUnanswered) {
    settings.Get().waitMs = 150;
    unsigned short closedPort;
    {
        SmtpServer gone;
        closedPort = gone.Port();
    }
    settings.PointMailAt(closedPort);
    settings.PointHttpAt(closedPort);
    int before = OpenDescriptors();
    EXPECT_EQ(SmtpSendHtmlMail({"a@x.example"}, TString("s"), TString("b"), true), MailUnanswered);
    EXPECT_EQ(HttpPost("127.0.0.1", "/p", "", "x"), PostSent);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(MailAndPost, HttpRequestByteForByte) {
    testing_support::HttpServer server;
    settings.PointHttpAt(server.Port());
    EXPECT_EQ(HttpPost("127.0.0.1", "/form.php", "X-One: 1\r\nX-Two: 2\r\n", "a=1&b=\xD0\x96"), PostSent);
    EXPECT_EQ(HttpPost("127.0.0.1", "/empty", "", ""), PostSent);
    ASSERT_TRUE(server.WaitForClosed(2));
    auto received = server.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0],
              "POST /form.php HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Mozilla/5.0 (Windows NT 5.1)\r\n"
              "Content-Length: 8\r\nX-One: 1\r\nX-Two: 2\r\n\r\na=1&b=\xD0\x96");
    EXPECT_EQ(received[1],
              "POST /empty HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Mozilla/5.0 (Windows NT 5.1)\r\n"
              "Content-Length: 0\r\n\r\n");
}

TEST_F(MailAndPost, UnansweredPostIsStillSentAfterOneWait) {
    settings.Get().waitMs = 150;
    testing_support::HttpServer server(ServerScript{false, 0});
    settings.PointHttpAt(server.Port());
    std::uint64_t start = win32::RealNowMs();
    EXPECT_EQ(HttpPost("127.0.0.1", "/p", "", "body"), PostSent);
    EXPECT_GE(win32::RealNowMs() - start, 150u);
    EXPECT_LT(win32::RealNowMs() - start, 1000u);
    ASSERT_TRUE(server.WaitForClosed(1));
    EXPECT_NE(server.Received().at(0).find("\r\n\r\nbody"), std::string::npos);
}

} // namespace
