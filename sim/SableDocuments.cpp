#include "sim/SableDocuments.h"

#include <cctype>

#include "sim/XmlDocument.h"

namespace sim {
namespace {

const std::string kSchemaBase = "http://schemas.kelo.example/imaging/con/";
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string Namespace(const std::string& prefix, const std::string& path)
{
    return " xmlns:" + prefix + "=\"" + kSchemaBase + path + "\"";
}

const std::string kDictionaries = Namespace("dd", "dictionaries/1.0/");
const std::string kDictionaries2 = Namespace("dd2", "dictionaries/2.0/");
const std::string kSchemaInstance = " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"";

std::string Element(const std::string& name, const std::string& text)
{
    return "<" + name + ">" + XmlEscape(text) + "</" + name + ">";
}

std::string MarkerColour(const std::string& label)
{
    std::string lower = AsciiLower(label);
    if (lower == "k" || lower == "black")
        return "Black";
    if (lower == "cmy")
        return "CyanMagentaYellow";
    if (lower == "c")
        return "Cyan";
    if (lower == "m")
        return "Magenta";
    if (lower == "y")
        return "Yellow";
    if (lower == "pk")
        return "PhotoBlack";
    return label;
}

} // namespace

std::optional<std::string> ReadJobPost(const HttpRequest& request, bool calibration, std::string& error)
{
    std::string type = AsciiLower(std::string(TrimBlanks(request.Header("Content-Type").substr(
        0, request.Header("Content-Type").find(';')))));
    if (type != "text/xml" && type != "application/xml") {
        error = "content type '" + request.Header("Content-Type") + "' is no XML";
        return std::nullopt;
    }
    std::optional<XmlElement> root = ParseXmlDocument(request.body, error);
    if (!root)
        return std::nullopt;
    const char* expectedNamespace = calibration ? kCalibrationNamespace : kInternalPrintNamespace;
    const char* expectedRoot = calibration ? "CalibrationState" : "InternalPrintDyn";
    if (root->localName != expectedRoot || root->namespaceUri != expectedNamespace) {
        error = "root '" + root->localName + "' in namespace '" + root->namespaceUri + "' is no " + expectedRoot;
        return std::nullopt;
    }
    if (calibration) {
        if (TrimBlanks(root->text).empty()) {
            error = "no calibration state";
            return std::nullopt;
        }
        return std::string();
    }
    auto jobTypes = root->Children(kInternalPrintNamespace, "JobType");
    if (jobTypes.size() != 1) {
        error = std::to_string(jobTypes.size()) + " JobType elements";
        return std::nullopt;
    }
    return jobTypes.front()->text;
}

std::string XmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            // Control characters are not allowed in XML 1.0 at all.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += '?';
            else
                out += c;
        }
    }
    return out;
}

std::string IsoDate(const std::string& yyyymmdd)
{
    if (yyyymmdd.size() != 8)
        return yyyymmdd;
    for (char c : yyyymmdd)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return yyyymmdd;
    return yyyymmdd.substr(0, 4) + "-" + yyyymmdd.substr(4, 2) + "-" + yyyymmdd.substr(6, 2);
}

std::string ProductConfigDocument(const PrinterConfig& p)
{
    std::string xml = kDeclaration;
    xml += "<prdcfgdyn2:ProductConfigDyn" + Namespace("prdcfgdyn2", "productconfigdyn/2009/03/16") +
           Namespace("prdcfgdyn", "productconfigdyn/2007/11/05") + kDictionaries + kSchemaInstance + ">\n";
    xml += "  <prdcfgdyn:Version><dd:Revision>SABLE-DM.2.41</dd:Revision><dd:Date>2023-06-01</dd:Date></prdcfgdyn:Version>\n";
    xml += "  <prdcfgdyn:ProductInformation>\n";
    xml += "    " + Element("dd:MakeAndModel", p.model) + "\n";
    xml += "    " + Element("dd:Description", p.model) + "\n";
    xml += "    " + Element("dd:ProductNumber", "K" + p.productId + "A") + "\n";
    xml += "    <dd:Version>" + Element("dd:Revision", p.firmware) + "<dd:Date>2024-05-01</dd:Date></dd:Version>\n";
    xml += "    " + Element("dd:SerialNumber", p.serial) + "\n";
    xml += "    " + Element("dd:ServiceID", p.serviceId) + "\n";
    xml += "    " + Element("dd:MakeAndModelBase", p.modelBase) + "\n";
    xml += "    <dd:RegionInformation>" + Element("dd:RegionIdentifier", p.regionId) + "</dd:RegionInformation>\n";
    xml += "  </prdcfgdyn:ProductInformation>\n";
    xml += "  <prdcfgdyn:ProductSettings><dd:DisplayLanguage>en</dd:DisplayLanguage></prdcfgdyn:ProductSettings>\n";
    xml += "</prdcfgdyn2:ProductConfigDyn>\n";
    return xml;
}

std::string ConsumableConfigDocument(const PrinterConfig& p)
{
    std::string xml = kDeclaration;
    xml += "<ccdyn:ConsumableConfigDyn" + Namespace("ccdyn", "consumableconfigdyn/2007/11/19") + kDictionaries +
           kDictionaries2 + kSchemaInstance + ">\n";
    xml += "  <ccdyn:ProductConsumableInfo>" + Element("dd:IK", p.inkKit) +
           "<dd:ConsumableIconStyle>inkDrops</dd:ConsumableIconStyle></ccdyn:ProductConsumableInfo>\n";
    int station = 0;
    for (const SimInk& ink : p.inks) {
        xml += "  <ccdyn:ConsumableInfo>\n";
        xml += "    " + Element("dd:ConsumableLabelCode", ink.label) + "\n";
        xml += "    " + Element("dd:ConsumableStation", std::to_string(station++)) + "\n";
        xml += "    " + Element("dd:ConsumablePercentageLevelRemaining", std::to_string(ink.level)) + "\n";
        xml += "    <dd:RegionalCartridge>" + Element("dd:RegionCode", std::to_string(ink.region)) + "</dd:RegionalCartridge>\n";
        xml += "    <dd:Installation>" + Element("dd:Date", IsoDate(ink.installDate)) + "</dd:Installation>\n";
        xml += "    <dd:ConsumableLifeState>" + Element("dd:ConsumableState", ink.state) +
               Element("dd:Brand", ink.brand) + "</dd:ConsumableLifeState>\n";
        xml += "    <dd:Warranty>" + Element("dd:WarrantyState", ink.warranty) + "</dd:Warranty>\n";
        xml += "    " + Element("dd:ConsumableSelectibilityNumber", ink.selectability) + "\n";
        xml += "    " + Element("dd:SerialNumber", ink.serial) + "\n";
        xml += "    " + Element("dd:ConsumableTypeEnum", ink.type) + "\n";
        xml += "  </ccdyn:ConsumableInfo>\n";
    }
    for (const SimPrinthead& head : p.printheads) {
        xml += "  <ccdyn:ConsumableInfo>\n";
        xml += "    " + Element("dd:ConsumableLabelCode", "KCMY") + "\n";
        xml += "    " + Element("dd2:ConsumableID", head.id) + "\n";
        xml += "    <dd:Installation>" + Element("dd:Date", IsoDate(head.installDate)) + "</dd:Installation>\n";
        xml += "    <dd:ConsumableLifeState>" + Element("dd:ConsumableState", head.state) +
               Element("dd:Brand", "kelo") + "</dd:ConsumableLifeState>\n";
        xml += "    <dd:Warranty>" + Element("dd:WarrantyState", head.warranty) + "</dd:Warranty>\n";
        xml += "    " + Element("dd:ConsumableTypeEnum", "printhead") + "\n";
        xml += "  </ccdyn:ConsumableInfo>\n";
    }
    xml += "</ccdyn:ConsumableConfigDyn>\n";
    return xml;
}

std::string ProductUsageDocument(const PrinterConfig& p)
{
    std::string xml = kDeclaration;
    xml += "<pudyn:ProductUsageDyn" + Namespace("pudyn", "productusagedyn/2007/12/11") + kDictionaries +
           kDictionaries2 + kSchemaInstance + ">\n";
    xml += "  <pudyn:PrinterSubunit>\n";
    xml += "    " + Element("dd:TotalImpressions", std::to_string(p.pageCount)) + "\n";
    xml += "    " + Element("dd:MonochromeImpressions", std::to_string(p.pageCount * 3 / 4)) + "\n";
    xml += "    " + Element("dd:ColorImpressions", std::to_string(p.pageCount - p.pageCount * 3 / 4)) + "\n";
    xml += "  </pudyn:PrinterSubunit>\n";
    xml += "  <pudyn:ConsumableSubunit>\n";
    for (const SimInk& ink : p.inks) {
        xml += "    <pudyn:Consumable>\n";
        xml += "      " + Element("dd:MarkerColor", MarkerColour(ink.label)) + "\n";
        xml += "      " + Element("dd:ConsumableTypeEnum", "ink") + "\n";
        xml += "      " + Element("dd:SupplySerialNumber", ink.serial) + "\n";
        xml += "      <dd:UsageByMarkingAgentCount>" + Element("dd:MarkingAgentCountType", "keloDropsCount") +
               Element("dd:MarkingAgentCount", std::to_string(ink.drops)) + "</dd:UsageByMarkingAgentCount>\n";
        xml += "    </pudyn:Consumable>\n";
    }
    xml += "  </pudyn:ConsumableSubunit>\n";
    xml += "</pudyn:ProductUsageDyn>\n";
    return xml;
}

std::string AdaptersDocument(const PrinterConfig& p)
{
    // The wireless adapter comes first and is idle, so readers must look for the connected one.
    std::string xml = kDeclaration;
    xml += "<io:Adapters" + Namespace("io", "ioconfig/2009/03/16") + kDictionaries + kSchemaInstance + ">\n";
    xml += "  <io:Adapter>\n    <io:HardwareConfig>" + Element("dd:Name", "wifi0") +
           Element("dd:DeviceConnectivityPortType", "wifiEmbedded") + Element("dd:MacAddress", "02:00:00:00:00:01") +
           Element("dd:IsConnected", "false") + "</io:HardwareConfig>\n  </io:Adapter>\n";
    xml += "  <io:Adapter>\n    <io:HardwareConfig>" + Element("dd:Name", "eth0") +
           Element("dd:DeviceConnectivityPortType", "ethernet") + Element("dd:MacAddress", p.mac) +
           Element("dd:IsConnected", p.usb ? "false" : "true") + "</io:HardwareConfig>\n  </io:Adapter>\n";
    xml += "</io:Adapters>\n";
    return xml;
}

std::string ProductStatusDocument(const PrinterConfig& p)
{
    std::string xml = kDeclaration;
    xml += "<psdyn:ProductStatusDyn" + Namespace("psdyn", "productstatusdyn/2007/10/31") +
           Namespace("ad", "alerts/2007/10/31") + Namespace("pscat", "productstatuscategories/2007/10/31") +
           Namespace("locid", "localizationids/2007/10/31") + kDictionaries + kSchemaInstance + ">\n";
    xml += "  <dd:Version><dd:Revision>SABLE-DM.2.41</dd:Revision></dd:Version>\n";
    int stringId = 65537;
    for (const std::string& status : p.statuses)
        xml += "  <psdyn:Status>" + Element("pscat:StatusCategory", status) +
               Element("locid:StringId", std::to_string(stringId++)) + "</psdyn:Status>\n";
    xml += "  <psdyn:AlertTable>\n    <dd:ModificationNumber>7</dd:ModificationNumber>\n";
    for (const SimAlert& alert : p.alerts) {
        xml += "    <psdyn:Alert>\n";
        xml += "      " + Element("ad:ProductStatusAlertID", alert.id) + "\n";
        xml += "      " + Element("locid:StringId", std::to_string(stringId++)) + "\n";
        xml += "      " + Element("ad:Severity", alert.severity) + "\n";
        if (alert.priority >= 0)
            xml += "      " + Element("ad:AlertPriority", std::to_string(alert.priority)) + "\n";
        xml += "      <ad:AlertDetails>" + Element("ad:AlertDetailsUserAction", "none") + "</ad:AlertDetails>\n";
        xml += "    </psdyn:Alert>\n";
    }
    xml += "  </psdyn:AlertTable>\n";
    xml += "</psdyn:ProductStatusDyn>\n";
    return xml;
}

std::string JobDocument(const std::string& jobPath, const std::string& kind, const std::string& state)
{
    std::string xml = kDeclaration;
    xml += "<j:Job" + Namespace("j", "jobs/2009/04/08") + kDictionaries + kSchemaInstance + ">\n";
    xml += "  " + Element("j:JobUrl", jobPath) + "\n";
    xml += "  " + Element("j:JobCategory", kind == "calibration" ? "calibration" : "internalPrint") + "\n";
    xml += "  " + Element("j:JobState", state) + "\n";
    xml += "  <j:JobStateUpdate>" + Element("dd:Value", "1") + "</j:JobStateUpdate>\n";
    xml += "  " + Element("j:JobSource", "userInterface") + "\n";
    xml += "</j:Job>\n";
    return xml;
}

} // namespace sim
