#include "core/reporting/exception_report.h"

#include <new>

#include "core/memory_figures.h"
#include "core/reporting/http_client.h"
#include "core/reporting/report_endpoints.h"
#include "core/reporting/smtp_client.h"
#include "platform/win32/events.h"

bool ExceptionReportArmed = false;
bool ExceptionReportByMail = true;
HANDLE ExceptionEvent = nullptr;

namespace {

// The identity is built in place by its initialiser, so that a report raised by another unit's
// static initialiser still finds it constructed (InitStatisticsIdentity runs at most once).
alignas(TString) unsigned char identityStorage[sizeof(TString)];
bool identityMade = false;

struct IdentityLifetime {
    IdentityLifetime() { InitStatisticsIdentity(); }
    ~IdentityLifetime() { FreeStatisticsIdentity(); }
} identityLifetime;

// The identity as the report reads it: made first if no initialiser has run yet, and reached
// through the storage rather than the exported reference, which is bound only during this
// unit's own initialisation.
const TString& Identity() {
    InitStatisticsIdentity();
    return *std::launder(reinterpret_cast<TString*>(identityStorage));
}

void SendReport(const TString& text) {
    if (ExceptionReportByMail) {
        TString subject = Identity() + " exception";
        // Both mails go out whatever the first one gave.
        for (const auto& mailbox : ReportSettings().reportMailboxes)
            SendMail(TString(mailbox.c_str()), subject, text, true);
    } else {
        SendStatistics(text);
    }
}

} // namespace

TString& StatisticsIdentity = *reinterpret_cast<TString*>(identityStorage);

void InitStatisticsIdentity() {
    if (identityMade) return;
    new (identityStorage) TString();
    identityMade = true;
}

void FreeStatisticsIdentity() {
    if (!identityMade) return;
    std::launder(reinterpret_cast<TString*>(identityStorage))->~TString();
    identityMade = false;
}

void ReportException(FileLogBase& log, const TString& text, bool rethrow) {
    log.Log(TString("EXCEPTION !!! ") + text);
    if (ExceptionReportArmed) {
        ExceptionReportArmed = false; // once: a later fault finds it off
        SendReport(text);
        LogMemoryLoad(log);
    }
    if (ExceptionEvent) SetEvent(ExceptionEvent);
    if (rethrow) throw 0;
}

void SendStatistics(const TString& text) {
    const TString& identity = Identity();
    std::size_t blank = identity.find(u' ');
    TString version = blank == TString::npos ? identity : TString(identity.substr(0, blank));
    TString login = blank == TString::npos ? identity : TString(identity.substr(blank + 1));
    TString form = TString("par=0&ver=") + version + "&login=" + login + "&str=" + text;
    HttpPost(ReportSettings().statisticsHost, StatisticsPath,
             "Content-Type: application/x-www-form-urlencoded\r\n", form.ToStdString(CodePageUtf8));
}

int SendMail(const TString& recipient, const TString& subject, const TString& body, bool html) {
    RecipientList recipients{recipient.ToStdString(CodePageCyrillic)};
    return SmtpSendHtmlMail(recipients, subject, body, html);
}
