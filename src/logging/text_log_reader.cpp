#include "logging/text_log_reader.h"

namespace stillmon {

namespace {
bool is_blank(int c) { return c == ' ' || c == '\t'; }
}  // namespace

TextLogReader::TextLogReader(const std::string& path) : stream_(std::fopen(path.c_str(), "rb")) {}

TextLogReader::TextLogReader(std::FILE* stream) : stream_(stream) {}

TextLogReader::~TextLogReader() { close(); }

void TextLogReader::close() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
}

int TextLogReader::next() { return stream_ == nullptr ? EOF : std::getc(stream_); }

int TextLogReader::peek() {
    const int c = next();
    if (c != EOF) {
        std::ungetc(c, stream_);
    }
    return c;
}

bool TextLogReader::at_end() { return peek() == EOF; }

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

bool TextLogReader::ends_line(int c) {
    if (c == '\r') {
        consume_lf_after_cr();
        return true;
    }
    return c == '\n';
}

void TextLogReader::finish_field() {
    skip_blanks();
    const int c = peek();
    if (c == ',' || c == '\n' || c == '\r') {
        ends_line(next());
    }
}

std::string TextLogReader::read_field() {
    std::string field;
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
            if (ends_line(c)) {
                return field;
            }
            field.push_back(static_cast<char>(c));
        }
        finish_field();
        return field;
    }
    while (field.size() < longest_field) {
        c = next();
        if (c == EOF || c == ',' || ends_line(c)) {
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

}  // namespace stillmon
