#pragma once
// The end of the fault path: the exception report, its two switches, the statistics identity,
// the report event, and the mail and statistics senders it uses.

#include "core/log.h"
#include "core/tstring.h"
#include "platform/win32/types.h"

// One-shot: while on, the next ReportException sends one report and turns it off. Starts off,
// and nothing in the program turns it on.
extern bool ExceptionReportArmed;
// On: the report goes out as two mails; off: as one statistics post. Starts on.
extern bool ExceptionReportByMail;
// Program version, a blank, then the user's login; empty unless a build assigns it.
extern TString& StatisticsIdentity;
// Signalled by every ReportException when set; null at start.
extern HANDLE ExceptionEvent;

constexpr const char* StatisticsPath = "/KelmonaxStatistic.php";

// Logs "EXCEPTION !!! " + text, sends the report while armed (then logs the memory load again),
// signals ExceptionEvent, and throws an int 0 when rethrow is set.
void ReportException(FileLogBase& log, const TString& text, bool rethrow);
// Posts the statistics form "par=0&ver=...&login=...&str=text" in UTF-8; logs nothing.
void SendStatistics(const TString& text);
// One mail to one address; SmtpSendHtmlMail's result.
int SendMail(const TString& recipient, const TString& subject, const TString& body, bool html);

// Construct and release StatisticsIdentity; run as static initialiser and finaliser, and safe
// to call again.
void InitStatisticsIdentity();
void FreeStatisticsIdentity();
