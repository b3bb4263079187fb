#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The request line of one HTTP/1.x request; its headers are checked but
// not kept, since nothing served here depends on them.
struct HttpRequest {
    std::string method;
    std::string target;
    // The target without its query: what a handler chooses by.
    std::string path;
};

enum class HttpParse { Incomplete, Done, Bad, TooLarge };

// Longest head, request line and headers up to the empty line included.
constexpr std::size_t kHttpHeadLimit = 8192;

// Reads the head of one request from what has arrived so far. Lines may
// end in CRLF or a bare LF; whatever follows the head is left alone. A head
// over the limit is TooLarge even before it is complete.
HttpParse ParseHttpRequest(std::string_view bytes, HttpRequest& request);

} // namespace platform
