#pragma once
// Where the fault reports go. The values are build constants under a reserved domain; the one
// process-wide record below is what the clients read, so tests can point it at loopback servers
// on free ports and shorten its waits.

#include <array>
#include <cstdint>
#include <string>

#include "platform/win32/types.h"

constexpr const char* ReportMailExchanger = "mail.example.com";
constexpr std::uint16_t ReportMailPort = 25;
constexpr const char* ReportSenderAddress = "sondrix@example.com";
constexpr const char* ReportMailboxFirst = "support@example.com";
constexpr const char* ReportMailboxSecond = "faults@example.com";
constexpr const char* StatisticsHost = "stats.example.com";
constexpr std::uint16_t ReportHttpPort = 80;
// The longest wait for a connection or for one reply, in ms.
constexpr DWORD ReportWaitMs = 3000;

struct ReportEndpoints {
    std::string mailExchanger = ReportMailExchanger; // connected to and named in EHLO
    std::uint16_t mailPort = ReportMailPort;
    std::string senderAddress = ReportSenderAddress;
    std::array<std::string, 2> reportMailboxes = {ReportMailboxFirst, ReportMailboxSecond};
    std::string statisticsHost = StatisticsHost;
    std::uint16_t httpPort = ReportHttpPort;
    DWORD waitMs = ReportWaitMs;
};

ReportEndpoints& ReportSettings();
