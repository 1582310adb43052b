#pragma once
// Points the report clients at loopback servers for one test and restores the build values.

#include "core/reporting/report_endpoints.h"
#include "platform/win32/winsock.h"

namespace testing_support {

class ReportSettingsGuard {
  public:
    ReportSettingsGuard() : saved(ReportSettings()) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~ReportSettingsGuard() { ReportSettings() = saved; }
    ReportSettingsGuard(const ReportSettingsGuard&) = delete;
    ReportSettingsGuard& operator=(const ReportSettingsGuard&) = delete;

    ReportEndpoints& Get() { return ReportSettings(); }
    void PointMailAt(unsigned short port) {
        ReportSettings().mailExchanger = "127.0.0.1";
        ReportSettings().mailPort = port;
    }
    void PointHttpAt(unsigned short port) {
        ReportSettings().statisticsHost = "127.0.0.1";
        ReportSettings().httpPort = port;
    }

  private:
    ReportEndpoints saved;
};

} // namespace testing_support
