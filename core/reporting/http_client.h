#pragma once
// A one-shot HTTP/1.1 POST; the answer is waited for once and never read.

#include <string>

// Result of HttpPost.
constexpr int PostSent = 0; // connected and sent, whatever the answer
constexpr int PostNoConnection = 1;

// Posts body to host (port ReportSettings().httpPort) and path; headers are extra header
// lines, each ending in "\r\n", possibly none.
int HttpPost(const std::string& host, const std::string& path, const std::string& headers,
             const std::string& body);
