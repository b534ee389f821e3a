#pragma once
// A small writer of JSON text (UTF-8) for the console front end's --json output.
#include <cstdint>
#include <string>

#include "support/Utf8.h"

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // A member name inside an object; the next value belongs to it.
    JsonWriter& Key(const char* name);
    JsonWriter& String(const std::wstring& value);
    JsonWriter& Number(int64_t value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();

    const std::string& Text() const { return text_; }

private:
    void BeforeValue();

    std::string text_;
    bool needComma_ = false;
};
