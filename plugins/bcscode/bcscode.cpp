// Plugins/BCSCode.dll: turns a station code ("<:" + code) into the station's URL.
//
// The scheme is deliberately plain so that a code always gives the same URL and needs no table:
//   "<:" + URL          ("<:mms://host/live", any scheme of letters, digits, "+", "-", ".")
//                       -> the URL as it stands;
//   "<:" + host[/path]  ("<:radio.example.com:8000/live", a dotted host name or "localhost",
//                       an optional port) -> "http://" + host[/path];
//   anything else       -> the text given, unchanged, marker included.
// Spaces and control characters around the code are ignored; a code holding them inside, or
// holding "<" or ">" (entry markers), is not a URL. Bytes above 0x7F pass through unchanged, so
// paths in any code page survive.
#include "plugins/bcscode/bcscode_dll.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsScheme(std::string_view scheme) {
    if (scheme.empty() || !IsLetter(scheme.front())) return false;
    for (const char c : scheme)
        if (!IsLetter(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return false;
    return true;
}

bool IsPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    for (const char c : port)
        if (!IsDigit(c)) return false;
    return true;
}

// A dotted name of non-empty labels of letters, digits and "-", or "localhost".
bool IsHostName(std::string_view host) {
    if (host == "localhost") return true;
    bool dotted = false;
    size_t label = 0;
    for (const char c : host) {
        if (c == '.') {
            if (label == 0) return false;
            dotted = true;
            label = 0;
        } else if (IsLetter(c) || IsDigit(c) || c == '-') {
            ++label;
        } else {
            return false;
        }
    }
    return dotted && label > 0;
}

bool IsHostAndPath(std::string_view code) {
    std::string_view host = code.substr(0, code.find_first_of("/?#"));
    const size_t colon = host.find(':');
    if (colon != std::string_view::npos) {
        if (!IsPort(host.substr(colon + 1))) return false;
        host = host.substr(0, colon);
    }
    return IsHostName(host);
}

bool HoldsForbidden(std::string_view code) {
    for (const char c : code)
        if (IsBlank(c) || c == '<' || c == '>') return true;
    return false;
}

std::string Resolve(std::string_view text) {
    if (text.substr(0, 2) != "<:") return std::string(text);
    const std::string_view code = Trim(text.substr(2));
    if (code.empty() || HoldsForbidden(code)) return std::string(text);
    const size_t separator = code.find("://");
    if (separator != std::string_view::npos) {
        const bool url = IsScheme(code.substr(0, separator)) && code.size() > separator + 3;
        return std::string(url ? code : text);
    }
    if (IsHostAndPath(code)) return "http://" + std::string(code);
    return std::string(text);
}

}  // namespace

// The result lives in storage of the calling thread until its next call: callers copy it at once
// and never free it.
extern "C" const char* GetBCSURL(const char* code) {
    if (!code) return "";
    thread_local std::string result;
    try {
        result = Resolve(std::string_view(code, std::strlen(code)));
    } catch (...) {
        return code;  // out of memory: the input unchanged is still a valid answer
    }
    return result.c_str();
}
