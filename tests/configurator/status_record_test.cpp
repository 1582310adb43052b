#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>

#include "configurator/status_record.h"
#include "tests/configurator/main_window_fixture.h"
#include "tests/configurator/record_text.h"

namespace {

using testing_support::Cp1251;
using testing_support::LocalStamp;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Files may grow to `bytes` and no further, as on a disk that fills up there: a write stops
// part-way and the next fails (EFBIG instead of the signal).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }

  private:
    rlimit saved{};
    void (*handler)(int);
};

struct StatusRecordTest : testing_support::MainWindowTest {
    TForm1& form = CreateWindow();

    // Writes one record and checks it byte for byte: its stamp is the second it was written in.
    void ExpectRecord(const std::string& file, const std::string& before, const UnicodeString& state,
                      const std::string& body) {
        std::string content = folder.Read(file);
        std::string after = LocalStamp();
        std::size_t stampEnd = content.find("\r\n");
        ASSERT_NE(stampEnd, std::string::npos) << content;
        std::string stamp = content.substr(0, stampEnd);
        EXPECT_TRUE(stamp == before || stamp == after) << stamp;
        EXPECT_EQ(content.substr(stampEnd + 2), Cp1251(body));
        EXPECT_EQ(form.Label15->Caption(), state);
    }
};

TEST_F(StatusRecordTest, EachNewStateAppendsOneRecordInCodePage1251WithCrLf) {
    std::filesystem::create_directory("ZNTK");
    struct Row {
        const char16_t* serial;
        const char16_t* release;
        bool blocking, pullUp;
        int scale;
        const char16_t* state;
        const char* file;
        const char* body;
    };
    const Row rows[] = {
        {u"12345", u"2.1 №7", true, false, 1, u"Калибровка пустого бака", "ZNTK/12345.zntk",
         "Version = 2.1 №7\r\nСостояние: Калибровка пустого бака\r\nКорпус: 100\r\nТрубка: 2000\r\n"
         "Топливо: 3000\r\nБлокировка: 1\r\nПодтяжка: 0\r\n\r\nШкала: 1\r\n\r\n"},
        {u"", u"2.1 №7", false, true, -1, u"Ёмкость", "ZNTK/.zntk",
         "Version = 2.1 №7\r\nСостояние: Ёмкость\r\nКорпус: 100\r\nТрубка: 2000\r\nТопливо: 3000\r\n"
         "Блокировка: 0\r\nПодтяжка: 1\r\n\r\nШкала: -1\r\n\r\n"},
        // A line feed inside a field ends its line as every other one does.
        {u"13", u"2.2\nб", false, false, 0, u"вода", "ZNTK/13.zntk",
         "Version = 2.2\r\nб\r\nСостояние: вода\r\nКорпус: 100\r\nТрубка: 2000\r\nТопливо: 3000\r\n"
         "Блокировка: 0\r\nПодтяжка: 0\r\n\r\nШкала: 0\r\n\r\n"},
    };
    form.Edit2->SetText(u"100");
    form.Edit3->SetText(u"2000");
    form.Edit4->SetText(u"3000");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        form.Edit11->SetText(row.serial);
        form.Edit12->SetText(row.release);
        form.CheckBox1->SetChecked(row.blocking);
        form.CheckBox2->SetChecked(row.pullUp);
        form.ComboBox2->SetItemIndex(row.scale);
        std::string before = LocalStamp();
        SetStatus(row.state);
        ExpectRecord(row.file, before, row.state, row.body);
    }
}

TEST_F(StatusRecordTest, SameStateAgainWritesAndLogsNothing) {
    std::filesystem::create_directory("ZNTK");
    form.Edit11->SetText(u"77");
    SetStatus(u"Калибровка полного бака");
    std::string first = folder.Read("ZNTK/77.zntk");
    SetStatus(u"Калибровка полного бака");
    EXPECT_EQ(folder.Read("ZNTK/77.zntk"), first);
    EXPECT_EQ(Count(folder.Read("log.txt"), Cp1251("SetStatus:\tКалибровка полного бака")), 1u);

    // Texts other code puts into the label count as the state shown, without a record.
    form.Label15->SetCaption(u"Прошивка");
    SetStatus(u"Прошивка");
    EXPECT_EQ(folder.Read("ZNTK/77.zntk"), first);
    SetStatus(u"Калибровка полного бака");
    EXPECT_EQ(folder.Read("ZNTK/77.zntk").size(), 2 * first.size());
}

TEST_F(StatusRecordTest, FileThatDoesNotOpenGetsNoRecordButTheStateIsShownAndLogged) {
    form.Edit11->SetText(u"12");
    SetStatus(u"измерение");
    EXPECT_FALSE(std::filesystem::exists("ZNTK"));
    EXPECT_EQ(form.Label15->Caption(), UnicodeString(u"измерение"));
    EXPECT_EQ(Count(folder.Read("log.txt"), Cp1251("SetStatus:\tизмерение")), 1u);
}

TEST_F(StatusRecordTest, RecordThatDoesNotFitLeavesTheFileAsItWasAndIsLogged) {
    std::filesystem::create_directory("ZNTK");
    form.Edit11->SetText(u"88");
    // Far longer than the log, which must still take its lines.
    const std::string earlier(65536, 'x');
    folder.Write("ZNTK/88.zntk", earlier);
    {
        FileSizeLimit full(earlier.size() + 40);
        SetStatus(u"вода");
    }
    std::string kept = folder.Read("ZNTK/88.zntk");
    EXPECT_TRUE(kept == earlier) << kept.size() << " bytes, " << earlier.size() << " before";
    std::string log = folder.Read("log.txt");
    EXPECT_EQ(Count(log, "Status record not written:\tZNTK/88.zntk"), 1u);
    EXPECT_EQ(Count(log, Cp1251("SetStatus:\tвода")), 1u);
}

} // namespace
