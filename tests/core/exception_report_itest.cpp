#include "core/reporting/exception_report.h"

#include <gtest/gtest.h>

#include "platform/win32/events.h"
#include "tests/core/report_settings_guard.h"
#include "tests/support/current_folder.h"
#include "tests/support/http_server.h"
#include "tests/support/log_text.h"
#include "tests/support/smtp_server.h"

namespace {

using testing_support::LogTexts;

// Every report setting at its start value, servers on loopback, restored afterwards.
class ExceptionReport : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.Get().waitMs = 500;
        settings.PointMailAt(smtp.Port());
        settings.PointHttpAt(http.Port());
    }
    void TearDown() override {
        ExceptionReportArmed = false;
        ExceptionReportByMail = true;
        StatisticsIdentity = TString();
        ExceptionEvent = nullptr;
    }

    // Runs one report with rethrow on and returns the log lines it wrote.
    std::vector<std::string> Report(const TString& text) {
        {
            SimpleLog log;
            try {
                ReportException(log, text, true);
                ADD_FAILURE() << "rethrow must throw";
            } catch (int thrown) {
                EXPECT_EQ(thrown, 0);
            }
        }
        return LogTexts(folder.Read("log.txt"));
    }

    // The statistics body of the one post the server got.
    std::string PostedForm() {
        EXPECT_TRUE(http.WaitForClosed(1));
        auto received = http.Received();
        EXPECT_EQ(received.size(), 1u);
        if (received.empty()) return "";
        std::size_t body = received[0].find("\r\n\r\n");
        return body == std::string::npos ? "NO BODY" : received[0].substr(body + 4);
    }

    testing_support::TemporaryCurrentFolder folder;
    testing_support::ReportSettingsGuard settings;
    testing_support::SmtpServer smtp;
    testing_support::HttpServer http;
};

TEST_F(ExceptionReport, StartValuesOnlyLogAndThrow) {
    EXPECT_FALSE(ExceptionReportArmed);
    EXPECT_TRUE(ExceptionReportByMail);
    EXPECT_TRUE(StatisticsIdentity.empty());
    EXPECT_EQ(ExceptionEvent, nullptr);
    EXPECT_EQ(Report(TString("malloc")), (std::vector<std::string>{"EXCEPTION !!! malloc", "Closing logs"}));
    EXPECT_TRUE(smtp.Received().empty());
    EXPECT_TRUE(http.Received().empty());
}

TEST_F(ExceptionReport, ArmedByMailSendsTwoMailsOnceThenLogsTheLoad) {
    ExceptionReportArmed = true;
    StatisticsIdentity = TString("4.0 depot");
    auto lines = Report(TString("malloc"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "EXCEPTION !!! malloc");
    EXPECT_EQ(lines[1].substr(0, 13), "Memory load:\t");
    EXPECT_FALSE(ExceptionReportArmed);
    ASSERT_TRUE(smtp.WaitForClosed(2));
    auto mails = smtp.Received();
    ASSERT_EQ(mails.size(), 2u);
    const auto& boxes = settings.Get().reportMailboxes;
    for (int i = 0; i < 2; ++i) {
        EXPECT_NE(mails[i].find("RCPT TO:<" + boxes[i] + ">\r\n"), std::string::npos) << mails[i];
        EXPECT_NE(mails[i].find("\r\nTo: " + boxes[i] + ";\r\n"), std::string::npos);
        EXPECT_NE(mails[i].find("\r\nSubject: 4.0 depot exception\r\n\r\n<!DOCTYPE"), std::string::npos);
        EXPECT_NE(mails[i].find("<body>malloc</body></html>\r\n.\r\n"), std::string::npos);
    }
    EXPECT_TRUE(http.Received().empty());

    // Off again: the second fault only logs.
    EXPECT_EQ(Report(TString("again")), (std::vector<std::string>{"EXCEPTION !!! again", "Closing logs"}));
    EXPECT_EQ(smtp.Received().size(), 2u);
}

TEST_F(ExceptionReport, SecondMailGoesOutWhenTheFirstFails) {
    testing_support::SmtpServer silent(testing_support::ServerScript{false, 0});
    settings.Get().waitMs = 100;
    settings.PointMailAt(silent.Port());
    ExceptionReportArmed = true;
    Report(TString("malloc"));
    EXPECT_TRUE(silent.WaitForClosed(2));
    EXPECT_EQ(silent.Received().size(), 2u);
}

TEST_F(ExceptionReport, ArmedWithoutMailPostsOneFormInUtf8) {
    ExceptionReportArmed = true;
    ExceptionReportByMail = false;
    StatisticsIdentity = TString("4.0 depot admin");
    auto lines = Report(TString(u"a&b=c сбой"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 13), "Memory load:\t");
    EXPECT_EQ(PostedForm(), "par=0&ver=4.0&login=depot admin&str=a&b=c \xD1\x81\xD0\xB1\xD0\xBE\xD0\xB9");
    auto request = http.Received().at(0);
    EXPECT_EQ(request.substr(0, 33), "POST /KelmonaxStatistic.php HTTP/");
    EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n\r\n"), std::string::npos);
    EXPECT_TRUE(smtp.Received().empty());
}

TEST_F(ExceptionReport, IdentityWithoutBlankFillsBothFields) {
    struct Row {
        const char* identity;
        std::string form;
    };
    const Row rows[] = {
        {"4.0", "par=0&ver=4.0&login=4.0&str=x"},
        {"", "par=0&ver=&login=&str=x"},
        {"4.0 ", "par=0&ver=4.0&login=&str=x"},
    };
    for (const auto& row : rows) {
        testing_support::HttpServer server;
        settings.PointHttpAt(server.Port());
        StatisticsIdentity = TString(row.identity);
        SendStatistics(TString("x"));
        ASSERT_TRUE(server.WaitForClosed(1));
        std::string request = server.Received().at(0);
        EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), row.form) << row.identity;
    }
}

TEST_F(ExceptionReport, EmptyIdentityGivesALeadingBlankInTheSubject) {
    ExceptionReportArmed = true;
    Report(TString("malloc"));
    ASSERT_TRUE(smtp.WaitForClosed(2));
    EXPECT_NE(smtp.Received().at(0).find("\r\nSubject:  exception\r\n"), std::string::npos);
}

TEST_F(ExceptionReport, EventSignalledAndNoThrowWithoutRethrow) {
    ExceptionEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        SimpleLog log;
        EXPECT_NO_THROW(ReportException(log, TString("soft"), false));
    }
    EXPECT_EQ(WaitForSingleObject(ExceptionEvent, 0), WAIT_OBJECT_0);
    CloseHandle(ExceptionEvent);
    EXPECT_EQ(LogTexts(folder.Read("log.txt")),
              (std::vector<std::string>{"EXCEPTION !!! soft", "Closing logs"}));
}

TEST_F(ExceptionReport, IdentityInitialiserRunsOnceAndFinaliserEmptiesIt) {
    StatisticsIdentity = TString("4.0 kept");
    InitStatisticsIdentity(); // already made: keeps the text
    EXPECT_EQ(StatisticsIdentity, TString("4.0 kept"));
    FreeStatisticsIdentity();
    FreeStatisticsIdentity(); // a second release does nothing
    InitStatisticsIdentity();
    EXPECT_TRUE(StatisticsIdentity.empty());
}

TEST_F(ExceptionReport, SendMailGivesTheMailResult) {
    EXPECT_EQ(SendMail(TString("one@x.example"), TString("s"), TString("b"), false), 0);
    ASSERT_TRUE(smtp.WaitForClosed(1));
    EXPECT_NE(smtp.Received().at(0).find("RCPT TO:<one@x.example>\r\nDATA"), std::string::npos);
    settings.Get().mailExchanger = std::string(70, 'a') + ".invalid";
    EXPECT_EQ(SendMail(TString("one@x.example"), TString("s"), TString("b"), false), 1);
}

} // namespace
