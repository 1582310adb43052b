#include "tests/support/smtp_server.h"

namespace testing_support {
namespace {

class SmtpSession : public ServerSession {
  public:
    explicit SmtpSession(bool errors) : errors(errors) {}

    std::vector<std::string> Greeting() override {
        return {errors ? "554 no service\r\n" : "220 loopback ESMTP\r\n"};
    }

    std::vector<std::string> Feed(std::string_view bytes) override {
        pending.append(bytes);
        std::vector<std::string> replies;
        for (;;) {
            if (inMessage) {
                std::size_t end = pending.find("\r\n.\r\n");
                if (end == std::string::npos) return replies;
                pending.erase(0, end + 5);
                inMessage = false;
                replies.push_back("250 queued\r\n");
                continue;
            }
            std::size_t end = pending.find("\r\n");
            if (end == std::string::npos) return replies;
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            replies.push_back(Answer(line));
        }
    }

  private:
    std::string Answer(const std::string& line) {
        if (errors) return "550 refused\r\n";
        if (line == "DATA") {
            inMessage = true;
            // The DATA line's own line end counts as the one before the terminator, so an
            // empty message ends at ".\r\n".
            pending.insert(0, "\r\n");
            return "354 go ahead\r\n";
        }
        if (line == "QUIT") return "221 bye\r\n";
        return "250 OK\r\n";
    }

    bool errors;
    bool inMessage = false;
    std::string pending;
};

} // namespace

SmtpServer::SmtpServer(ServerScript script)
    : server(script, [errors = script.errors] { return std::make_unique<SmtpSession>(errors); }) {}

} // namespace testing_support
