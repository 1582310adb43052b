#include "core/reporting/http_client.h"

#include "core/reporting/report_endpoints.h"
#include "core/reporting/socket_client.h"
#include "core/tstring.h"

int HttpPost(const std::string& host, const std::string& path, const std::string& headers,
             const std::string& body) {
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT event = WSA_INVALID_EVENT;
    if (TcpConnect(host, ReportSettings().httpPort, socket, event)) return PostNoConnection;

    std::string length = TString(static_cast<unsigned>(body.size())).ToStdString(CodePageCyrillic);
    std::string request = "POST " + path + " HTTP/1.1\r\nHost: " + host +
                          "\r\nUser-Agent: Mozilla/5.0 (Windows NT 5.1)\r\nContent-Length: " + length +
                          "\r\n" + headers + "\r\n" + body;
    SocketSendText(socket, request.c_str());
    SocketWaitReceive(socket, event); // a missing answer is no error

    closesocket(socket);
    WSACloseEvent(event);
    return PostSent;
}
