#include "console/ScanFormats.h"

#include <string_view>

#include "console/JsonWriter.h"
#include "support/Utf8.h"

namespace {

using Reach = PrinterSnapshot::Reach;

std::wstring Wide(std::string_view ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

bool Answered(const PrinterSnapshot& printer)
{
    return printer.reach == Reach::Answered;
}

std::string Json(const std::vector<PrinterSnapshot>& printers)
{
    JsonWriter json;
    json.BeginArray();
    for (const PrinterSnapshot& p : printers) {
        json.BeginObject()
            .Key("printer").String(p.printer)
            .Key("address").String(p.address)
            .Key("reach").String(Wide(ReachName(p.reach)))
            .Key("model").String(p.model)
            .Key("serialNumber").String(p.serialNumber)
            .Key("firmwareRevision").String(p.firmware)
            .Key("pageCount").Number(p.pageCount)
            .Key("status");
        if (p.statusRead)
            json.BeginObject()
                .Key("passed").Bool(p.statusPassed)
                .Key("code").Number(p.statusCode)
                .Key("adf").Bool(p.adf)
                .Key("text").String(p.statusText)
                .EndObject();
        else
            json.Null();
        json.Key("inks").BeginArray();
        for (const InkSnapshot& ink : p.inks) {
            json.BeginObject().Key("color").String(Wide(ink.colour))
                .Key("name").String(ink.name).Key("level");
            if (ink.level >= 0)
                json.Number(ink.level);
            else
                json.Null();
            json.EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray();
    return json.Text() + "\n";
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string Csv(const std::vector<PrinterSnapshot>& printers)
{
    std::string out = "printer,address,reach,model,serial_number,page_count,status_passed,status_code,status_text,"
                      "color,level\r\n";
    for (const PrinterSnapshot& p : printers) {
        std::string head = CsvField(ToUtf8(p.printer)) + ',' + CsvField(ToUtf8(p.address)) + ',' + ReachName(p.reach) +
                           ',' + CsvField(ToUtf8(p.model)) + ',' + CsvField(ToUtf8(p.serialNumber)) + ',' +
                           (p.pageCount >= 0 ? std::to_string(p.pageCount) : "") + ',' +
                           (p.statusRead ? (p.statusPassed ? "1" : "0") : "") + ',' +
                           (p.statusRead ? std::to_string(p.statusCode) : "") + ',' + CsvField(ToUtf8(p.statusText));
        if (p.inks.empty())
            out += head + ",,\r\n";
        for (const InkSnapshot& ink : p.inks)
            out += head + ',' + ink.colour + ',' + (ink.level >= 0 ? std::to_string(ink.level) : "") + "\r\n";
    }
    return out;
}

// A label value of the exposition format: backslash, double quote and line feed escaped.
std::string Label(const std::wstring& text)
{
    std::string out;
    for (char c : ToUtf8(text)) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

std::string Prometheus(const std::vector<PrinterSnapshot>& printers)
{
    struct Family {
        const char* name;
        const char* type;
        const char* help;
    };
    const Family up{"kelo_up", "gauge", "Whether the printer answered (1) or not (0)."};
    const Family info{"kelo_printer_info", "gauge", "The printer's identity; always 1."};
    const Family ok{"kelo_status_ok", "gauge", "1 when the device status test passed, else 0."};
    const Family code{"kelo_status_code", "gauge", "The device status code the printer reported."};
    const Family pages{"kelo_page_count_total", "counter", "Pages the printer has printed."};
    const Family ink{"kelo_ink_level_percent", "gauge", "Ink left in a cartridge, in percent."};
    auto header = [](const Family& f) {
        return std::string("# HELP ") + f.name + ' ' + f.help + "\n# TYPE " + f.name + ' ' + f.type + '\n';
    };
    auto who = [](const PrinterSnapshot& p) { return "printer=\"" + Label(p.printer) + "\""; };

    std::string out = header(up);
    for (const PrinterSnapshot& p : printers)
        out += std::string(up.name) + '{' + who(p) + "} " + (Answered(p) ? "1" : "0") + '\n';
    out += header(info);
    for (const PrinterSnapshot& p : printers)
        if (Answered(p))
            out += std::string(info.name) + '{' + who(p) + ",model=\"" + Label(p.model) + "\",serial=\"" +
                   Label(p.serialNumber) + "\",firmware=\"" + Label(p.firmware) + "\"} 1\n";
    out += header(ok);
    for (const PrinterSnapshot& p : printers)
        if (Answered(p) && p.statusRead)
            out += std::string(ok.name) + '{' + who(p) + "} " + (p.statusPassed ? "1" : "0") + '\n';
    out += header(code);
    for (const PrinterSnapshot& p : printers)
        if (Answered(p) && p.statusRead)
            out += std::string(code.name) + '{' + who(p) + "} " + std::to_string(p.statusCode) + '\n';
    out += header(pages);
    for (const PrinterSnapshot& p : printers)
        if (Answered(p) && p.pageCount >= 0)
            out += std::string(pages.name) + '{' + who(p) + "} " + std::to_string(p.pageCount) + '\n';
    out += header(ink);
    for (const PrinterSnapshot& p : printers)
        for (const InkSnapshot& cartridge : p.inks)
            if (Answered(p) && cartridge.level >= 0)
                out += std::string(ink.name) + '{' + who(p) + ",color=\"" + cartridge.colour + "\"} " +
                       std::to_string(cartridge.level) + '\n';
    return out;
}

std::string Text(const std::vector<PrinterSnapshot>& printers)
{
    std::string out;
    for (const PrinterSnapshot& p : printers) {
        out += ToUtf8(p.printer) + "  " + ReachName(p.reach);
        if (Answered(p)) {
            out += "  " + ToUtf8(p.model);
            if (p.statusRead)
                out += "  status " + std::to_string(p.statusCode) + (p.statusPassed ? " ready" : ": " + ToUtf8(p.statusText));
            for (const InkSnapshot& ink : p.inks)
                out += "  " + ink.colour + ' ' + (ink.level >= 0 ? std::to_string(ink.level) + '%' : std::string("?"));
        }
        out += '\n';
    }
    return out;
}

} // namespace

std::string FormatScan(const std::vector<PrinterSnapshot>& printers, ScanFormat format)
{
    switch (format) {
    case ScanFormat::Json:
        return Json(printers);
    case ScanFormat::Csv:
        return Csv(printers);
    case ScanFormat::Prometheus:
        return Prometheus(printers);
    case ScanFormat::Text:
        break;
    }
    return Text(printers);
}
