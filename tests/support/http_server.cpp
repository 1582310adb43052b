#include "tests/support/http_server.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace testing_support {
namespace {

// The Content-Length value of a header block, or 0.
std::size_t ContentLength(std::string head) {
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    std::size_t at = head.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::strtoul(head.c_str() + at + 17, nullptr, 10);
}

class HttpSession : public ServerSession {
  public:
    explicit HttpSession(bool errors) : errors(errors) {}

    std::vector<std::string> Feed(std::string_view bytes) override {
        if (answered) return {};
        request.append(bytes);
        std::size_t headEnd = request.find("\r\n\r\n");
        if (headEnd == std::string::npos) return {};
        if (request.size() - headEnd - 4 < ContentLength(request.substr(0, headEnd))) return {};
        answered = true;
        if (errors) return {"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"};
        return {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK"};
    }

  private:
    bool errors;
    bool answered = false;
    std::string request;
};

} // namespace

HttpServer::HttpServer(ServerScript script)
    : server(script, [errors = script.errors] { return std::make_unique<HttpSession>(errors); }) {}

} // namespace testing_support
