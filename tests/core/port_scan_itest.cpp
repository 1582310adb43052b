#include "core/port_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/win32/files.h"
#include "platform/win32/handles.h"
#include "tests/support/current_folder.h"
#include "tools/sensor_emulator/lines/emulator_line.h"

namespace {

using sensor_emulator::EmulatorLine;
using sensor_emulator::PortMap;
using testing_support::TemporaryCurrentFolder;

class IdlePort : public ComPortBase {
  public:
    using ComPortBase::ComPortBase;
    void OnReceive(std::int32_t) override {}
};

struct Scanner {
    PortTable table;
    int made = 0;
    PortFactory factory = [this](HANDLE handle, const TString& name,
                                 const TString& friendly) -> ComPortBase* {
        ++made;
        return new IdlePort(handle, name, friendly, 19200, 0);
    };
    ~Scanner() {
        for (auto& entry : table)
            delete entry.second;
    }
    void Scan(const char16_t* selection) { ScanForPorts(table, factory, TString(selection)); }
    // The table's port names among those given (the machine may have real ports too).
    std::set<std::string> Names(std::set<std::string> among = {}) const {
        std::set<std::string> names;
        for (auto& entry : table) {
            std::string name = entry.first.ToStdString(1251);
            if (among.empty() || among.count(name)) names.insert(name);
        }
        return names;
    }
};

std::vector<std::string> Ours(const std::vector<TString>& names, const char* mark) {
    std::vector<std::string> ours;
    for (const TString& name : names) {
        std::string text = name.ToStdString(1251);
        if (text.find(mark) != std::string::npos) ours.push_back(text);
    }
    return ours;
}

TEST(PortScan, EnumerationSkipsParallelAndBluetoothPorts) {
    PortMap map;
    std::vector<std::unique_ptr<EmulatorLine>> lines;
    const char* descriptions[] = {"Emu serial",         "Emu Bluetooth link", "Emu BLUETOOTH",
                                  "Emu bLuEtOoTh port", "Emu LPT bridge",     "Emu lpt bridge",
                                  "Emu (USB) adapter"};
    for (unsigned i = 0; i < std::size(descriptions); ++i)
        lines.push_back(std::make_unique<EmulatorLine>(
            map, EmulatorLine::Options{.comNumber = 60 + i, .description = descriptions[i]}));
    EXPECT_EQ(Ours(EnumComPorts(), "Emu "),
              (std::vector<std::string>{"Emu serial (COM60)", "Emu lpt bridge (COM65)",
                                        "Emu [USB] adapter (COM66)"}));
}

TEST(PortScan, TableFollowsPortsThatComeAndGo) {
    TemporaryCurrentFolder folder;
    SimpleLog appLog;
    PortMap map;
    const std::set<std::string> ours = {"COM21", "COM22", "COM23"};
    auto first = std::make_unique<EmulatorLine>(map, EmulatorLine::Options{.comNumber = 21});
    auto second = std::make_unique<EmulatorLine>(map, EmulatorLine::Options{.comNumber = 22});
    Scanner scanner;
    scanner.Scan(u"");
    ASSERT_EQ(scanner.Names(), (std::set<std::string>{"COM21", "COM22"}))
        << "the machine's own ports stay shut";
    ComPortBase* kept = scanner.table.at(TString("COM21"));
    kept->pendingRequest = 0x33;

    second->Unplug();
    auto third = std::make_unique<EmulatorLine>(map, EmulatorLine::Options{.comNumber = 23});
    scanner.Scan(u"");
    EXPECT_EQ(scanner.Names(ours), (std::set<std::string>{"COM21", "COM23"}));
    EXPECT_EQ(scanner.table.at(TString("COM21")), kept) << "a port that stays keeps its object";
    EXPECT_EQ(kept->pendingRequest, 0x33);
    EXPECT_TRUE(kept->present);

    scanner.Scan(u"none");
    EXPECT_TRUE(scanner.table.empty());
    std::string log = folder.Read("log.txt");
    for (const char* closed : {"COM21:\tclosed", "COM22:\tclosed", "COM23:\tclosed"})
        EXPECT_NE(log.find(closed), std::string::npos) << closed;
}

TEST(PortScan, SelectionOpensOnlyTheNamedPortAndRetriesABusyOne) {
    TemporaryCurrentFolder folder; // the ports' log lines go there
    PortMap map;
    EmulatorLine hidden(map, {.comNumber = 31, .description = "Emu LPT thing"}); // filtered from the list
    EmulatorLine other(map, {.comNumber = 32});
    Scanner scanner;
    scanner.Scan(u"Any text (COM31)");
    EXPECT_EQ(scanner.Names(), (std::set<std::string>{"COM31"}));
    scanner.Scan(u"Any text (COM31)");
    EXPECT_EQ(scanner.made, 1);

    HANDLE busy = OpenComPort(TString("COM32"));
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    scanner.Scan(u"Other (COM32)");
    EXPECT_TRUE(scanner.table.empty()) << "COM31 was not selected, COM32 is busy";
    CloseHandle(busy);
    scanner.Scan(u"Other (COM32)");
    EXPECT_EQ(scanner.Names(), (std::set<std::string>{"COM32"}));
}

TEST(PortScan, KeyIsTheFirstParenthesisedText) {
    TemporaryCurrentFolder folder;
    PortMap map;
    EmulatorLine line(map, {.comNumber = 5});
    Scanner scanner;
    for (const char16_t* name :
         {u"No parentheses", u"COM5", u"Serial (USB) Port (COM5)", u"Open only (COM5", u"Empty () (COM5)"})
        AddPort(scanner.table, scanner.factory, TString(name));
    EXPECT_TRUE(scanner.table.empty());
    EXPECT_EQ(scanner.made, 0);

    AddPort(scanner.table, scanner.factory, TString(u"First (COM5)"));
    scanner.table.at(TString("COM5"))->present = false;
    AddPort(scanner.table, scanner.factory, TString(u"Second name (COM5)"));
    EXPECT_EQ(scanner.made, 1);
    ComPortBase* port = scanner.table.at(TString("COM5"));
    EXPECT_TRUE(port->present);
    EXPECT_EQ(port->friendlyName, TString(u"First (COM5)"));
    EXPECT_EQ(port->portName, TString(u"COM5"));
}

} // namespace
