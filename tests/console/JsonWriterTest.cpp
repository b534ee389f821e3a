#include "console/JsonWriter.h"

#include <gtest/gtest.h>

TEST(JsonWriter, WritesNestedValuesWithCommasInPlace)
{
    JsonWriter json;
    json.BeginObject()
        .Key("name").String(L"Kelo")
        .Key("count").Number(-3)
        .Key("ok").Bool(true)
        .Key("none").Null()
        .Key("list").BeginArray().Number(1).BeginObject().EndObject().BeginArray().EndArray().EndArray()
        .EndObject();
    EXPECT_EQ(json.Text(), R"({"name":"Kelo","count":-3,"ok":true,"none":null,"list":[1,{},[]]})");
}

TEST(JsonWriter, EscapesWhatADeviceMightSend)
{
    JsonWriter json;
    json.String(std::wstring(L"a\"b\\c\n\x01", 7));
    EXPECT_EQ(json.Text(), "\"a\\\"b\\\\c\\n\\u0001\"");
}
