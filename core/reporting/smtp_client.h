#pragma once
// A minimal SMTP sender of one mail to the report mail exchanger: no authentication, no
// encryption, reply codes never read. Any answer within the wait counts as success.

#include <string>
#include <vector>

#include "core/tstring.h"

// Mail addresses, narrow text, in sending order.
using RecipientList = std::vector<std::string>;

// Result of SmtpSendHtmlMail.
constexpr int MailSent = 0; // every step was answered
constexpr int MailNoConnection = 1;
constexpr int MailUnanswered = 2; // a step went unanswered; the dialogue stopped there, no QUIT

// Subject and body go out in code page 1251. The Content-Type says text/html also when html is
// false; html only decides whether the body is wrapped in an HTML document. A dot that starts a
// line of the mail goes out doubled, so the server takes the mail whole.
int SmtpSendHtmlMail(const RecipientList& recipients, const TString& subject, const TString& body, bool html);
