#include "delivery/play_response.h"

namespace {

const char* Reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 416: return "Range Not Satisfiable";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

std::string StatusLine(int status)
{
    return "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
}

}  // namespace

std::string BuildPlayResponseHead(const PlayResponseHead& head)
{
    std::string text = StatusLine(head.status) + "Accept-Ranges: bytes\r\n";
    if (head.noStore)
        text += "Cache-Control: no-store\r\n";
    if (!head.contentType.empty())
        text += "Content-Type: " + head.contentType + "\r\n";
    if (!head.contentRange.empty())
        text += "Content-Range: " + head.contentRange + "\r\n";
    if (head.contentLength >= 0)
        text += "Content-Length: " + std::to_string(head.contentLength) + "\r\n";
    return text + "Connection: close\r\n\r\n";
}

std::string BuildPlayErrorAnswer(int status, std::int64_t total)
{
    std::string text = StatusLine(status);
    if (status == 405)
        text += "Allow: GET, HEAD\r\n";
    if (status == 416 && total >= 0)
        text += "Content-Range: bytes */" + std::to_string(total) + "\r\n";
    return text + "Content-Length: 0\r\nConnection: close\r\n\r\n";
}
