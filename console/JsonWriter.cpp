#include "console/JsonWriter.h"

#include <cstdio>

#include "support/Utf8.h"

void JsonWriter::BeforeValue()
{
    if (needComma_)
        text_ += ',';
    needComma_ = true;
}

JsonWriter& JsonWriter::BeginObject()
{
    BeforeValue();
    text_ += '{';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndObject()
{
    text_ += '}';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    BeforeValue();
    text_ += '[';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::EndArray()
{
    text_ += ']';
    needComma_ = true;
    return *this;
}

JsonWriter& JsonWriter::Key(const char* name)
{
    String(std::wstring(name, name + std::char_traits<char>::length(name)));
    text_ += ':';
    needComma_ = false;
    return *this;
}

JsonWriter& JsonWriter::String(const std::wstring& value)
{
    BeforeValue();
    text_ += '"';
    for (char c : ToUtf8(value)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += c;
        } else if (c == '\n') {
            text_ += "\\n";
        } else if (c == '\r') {
            text_ += "\\r";
        } else if (c == '\t') {
            text_ += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            text_ += escaped;
        } else {
            text_ += c;
        }
    }
    text_ += '"';
    return *this;
}

JsonWriter& JsonWriter::Number(int64_t value)
{
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    text_ += "null";
    return *this;
}
