#include "web/html_text.h"

#include "base/latin1_text.h"

namespace stillmon {

std::string html_text(std::string_view utf8) {
    std::string out;
    for (const char c : utf8) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                const auto code = static_cast<unsigned char>(c);
                out += code < 0x20 || code == 0x7F ? ' ' : c;
        }
    }
    return out;
}

std::string html_text_of_latin1(std::string_view latin1) {
    return html_text(utf8_from_latin1(latin1));
}

}  // namespace stillmon
