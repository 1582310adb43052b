#include "core/reporting/smtp_client.h"

#include "core/reporting/report_endpoints.h"
#include "core/reporting/socket_client.h"

namespace {

constexpr const char* HtmlOpening =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
    "\"http://www.w3.org/TR/html4/loose.dtd\">"
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head><body>";
constexpr const char* HtmlClosing = "</body></html>";

// Doubles the dot that starts a line, so that no line of the mail reads as its end (a line holding
// only a dot) and the server takes the mail whole. A bare LF starts a line too: some servers take
// it for a line end.
std::string DotStuffed(const std::string& text) {
    std::string stuffed;
    stuffed.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '.' && (i == 0 || text[i - 1] == '\n')) stuffed += '.';
        stuffed += text[i];
    }
    return stuffed;
}

std::string MailMessage(const RecipientList& recipients, const TString& subject, const TString& body,
                        bool html) {
    const std::string& sender = ReportSettings().senderAddress;
    std::string message = "From: " + sender + "\r\nTo: ";
    for (const auto& recipient : recipients)
        message += recipient + ";";
    message += "\r\nReply-to: " + sender +
               "\r\nContent-Type: text/html; charset=Windows-1251\r\nContent-Transfer-Encoding: 8bit\r\n"
               "MIME-Version: 1.0\r\nSubject: ";
    message += subject.ToStdString(CodePageCyrillic) + "\r\n\r\n";
    if (html) message += HtmlOpening;
    message += body.ToStdString(CodePageCyrillic);
    if (html) message += HtmlClosing;
    return DotStuffed(message) + "\r\n.\r\n";
}

// The dialogue after the greeting; false at the first step that goes unanswered.
bool Converse(SOCKET socket, WSAEVENT event, const std::vector<std::string>& steps) {
    for (const auto& step : steps) {
        SocketSendText(socket, step.c_str());
        if (!SocketWaitReceive(socket, event)) return false;
    }
    return true;
}

} // namespace

int SmtpSendHtmlMail(const RecipientList& recipients, const TString& subject, const TString& body,
                     bool html) {
    const ReportEndpoints& settings = ReportSettings();
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT event = WSA_INVALID_EVENT;
    if (TcpConnect(settings.mailExchanger, settings.mailPort, socket, event)) return MailNoConnection;

    std::vector<std::string> steps = {"EHLO " + settings.mailExchanger + "\r\n",
                                      "MAIL FROM:<" + settings.senderAddress + ">\r\n"};
    for (const auto& recipient : recipients)
        steps.push_back("RCPT TO:<" + recipient + ">\r\n");
    steps.push_back("DATA\r\n");
    steps.push_back(MailMessage(recipients, subject, body, html));
    steps.push_back("QUIT\r\n");
    bool answered = SocketWaitReceive(socket, event) && Converse(socket, event, steps);

    closesocket(socket);
    WSACloseEvent(event);
    return answered ? MailSent : MailUnanswered;
}
