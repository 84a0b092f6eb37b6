#include "logging/text_log_reader.h"

#include "logging/log_line_reader.h"

namespace stillmon {

namespace {
bool is_blank(int c) {
    return c == ' ' || c == '\t';
}
}  // namespace

TextLogReader::TextLogReader(const std::string& path) : stream_(std::fopen(path.c_str(), "rb")) {}

TextLogReader::TextLogReader(std::FILE* stream) : stream_(stream) {}

TextLogReader::~TextLogReader() {
    close();
}

void TextLogReader::close() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    lone_cr_read_ = false;
}

int TextLogReader::next() {
    return stream_ == nullptr ? EOF : std::getc(stream_);
}

int TextLogReader::peek() {
    const int c = next();
    if (c != EOF) {
        std::ungetc(c, stream_);
    }
    return c;
}

bool TextLogReader::at_end() {
    return !lone_cr_read_ && peek() == EOF;
}

void TextLogReader::skip_blanks() {
    while (is_blank(peek())) {
        next();
    }
}

void TextLogReader::consume_lf_after_cr() {
    if (peek() == '\n') {
        next();
    }
}

void TextLogReader::finish_field() {
    skip_blanks();
    const int c = peek();
    if (c == ',' || c == '\n') {
        next();
    } else if (c == '\r') {
        // Only CR LF is a line end here; a CR alone begins the next field, which it ends at
        // once. It is consumed now (a stream keeps only one character of look-ahead) and
        // that empty field is still owed.
        next();
        if (peek() == '\n') {
            next();
        } else {
            lone_cr_read_ = true;
        }
    }
}

std::string TextLogReader::read_field() {
    std::string field;
    if (lone_cr_read_) {
        lone_cr_read_ = false;
        return field;
    }
    skip_blanks();
    int c = peek();
    if (c == EOF) {
        return field;
    }
    if (c == '"') {
        next();
        while (field.size() < longest_field) {
            c = next();
            if (c == EOF || c == '"') {
                break;
            }
            if (c == '\n') {
                return field;
            }
            // Inside quotes only a whole line end ends the field; a CR alone is kept.
            if (c == '\r' && peek() == '\n') {
                next();
                return field;
            }
            field.push_back(static_cast<char>(c));
        }
        finish_field();
        return field;
    }
    while (field.size() < longest_field) {
        c = next();
        if (c == EOF || c == ',' || c == '\n') {
            return field;
        }
        if (c == '\r') {
            consume_lf_after_cr();
            return field;
        }
        field.push_back(static_cast<char>(c));
    }
    finish_field();
    return field;
}

TextLogRecord TextLogReader::read_record() {
    TextLogRecord record;
    for (auto& field : record) {
        field = read_field();
    }
    return record;
}

std::unique_ptr<TextLogReader> open_text_log(const std::string& path, int& error) {
    std::FILE* stream = open_log_stream(path, error);
    return stream != nullptr ? std::make_unique<TextLogReader>(stream) : nullptr;
}

}  // namespace stillmon
