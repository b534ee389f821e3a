#!/usr/bin/env python3
"""Checks the shipped data: string files and the product catalogue.

Every string key the code asks for must exist in every string file; keys the
pages build from numbers are listed in FAMILIES. The catalogue must be
well-formed and name print files that exist."""
import pathlib
import re
import sys
import xml.dom.minidom

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
CODE_FOLDERS = ["app", "support", "discovery", "sable", "quill", "tools", "pages", "links", "winapi", "console"]

# Keys built at run time from a format and a number.
FAMILIES = {
    "TSY_DEVID_STATUS_MSG_%02d": range(0, 62),
    "TSY_DEVICE_ERROR_MSG_%02d": range(0, 62),
    "ADF_TSY_DEVID_STATUS_MSG_%d": range(0, 7),
    "ADF_TSY_DEVICE_ERROR_MSG_%d": range(0, 7),
    "TSY_TROUBLESHOOT_STEPS_%02d": [9, 14, 15, 16],
    "ADF_TSY_TROUBLESHOOT_STEPS_%d": [3, 4],
}

# The 21 user-interface languages and the language code the support links carry for each.
LANGUAGE_CODES = {
    1033: "en", 1028: "zh-tw", 1029: "cs", 1030: "da", 1031: "de", 1032: "el", 1034: "es", 1035: "fi",
    1036: "fr", 1038: "hu", 1040: "it", 1041: "ja", 1042: "ko", 1043: "nl", 1044: "no", 1045: "pl",
    1046: "pt-br", 1049: "ru", 1053: "sv", 1055: "tr", 2052: "zh-cn",
}

# Keys whose value is the same in every language: names, addresses, codes.
SAME_IN_EVERY_LANGUAGE = {
    "TSY_TITLE_STRING", "TSY_USB_STRING", "TSY_URL_KELO", "TSY_URL_FORUM", "TSY_URL_DU", "TSY_URL_FEEDBACK",
}

# Words a language shares with English ("OK", "Status"), per language: each one checked by a reader
# of that language, so that a text left untranslated by mistake still fails.
SAME_AS_ENGLISH = {
    1028: set(),
    1029: {
        "TSY_FIRMWARE_HEAD1", "TSY_FIRMWARE_HEAD2", "TSY_FIRMWARE_MODELNAME", "TSY_OK_BUTTON",
    },
    1030: {
        "TSY_COLOR_CYAN", "TSY_COLOR_MAGENTA", "TSY_FIRMWARE_HEAD1", "TSY_FIRMWARE_HEAD2", "TSY_FIRMWARE_MODELNAME",
        "TSY_INKLEVELS_REGION", "TSY_INKLEVELS_STATUS", "TSY_INKSTATE_READY", "TSY_OK_BUTTON", "TSY_PRINTER_LIST",
    },
    1031: {
        "TSY_COLOR_CYAN", "TSY_COLOR_MAGENTA", "TSY_DIAGNOSE_BUTTON", "TSY_FIRMWARE_HEAD1", "TSY_FIRMWARE_HEAD2",
        "TSY_INKLEVELS_REGION", "TSY_INKLEVELS_STATUS", "TSY_INKSTATE_READY", "TSY_OK_BUTTON",
    },
    1032: {
        "TSY_OK_BUTTON",
    },
    1034: {
        "TSY_COLOR_MAGENTA", "TSY_FIRMWARE_HEAD1", "TSY_FIRMWARE_HEAD2", "TSY_INKLEVELS_COLOR",
        "TSY_INKSTATE_READY", "TSY_NO_BUTTON", "TSY_OK_BUTTON",
    },
    1035: {
        "TSY_COLOR_MAGENTA", "TSY_INKSTATE_READY", "TSY_OK_BUTTON",
    },
    1036: {
        "TSY_COLOR_CYAN", "TSY_COLOR_MAGENTA", "TSY_INKSTATE_READY", "TSY_OK_BUTTON",
    },
    1038: {
        "TSY_OK_BUTTON",
    },
    1040: {
        "TSY_COLOR_MAGENTA", "TSY_FIRMWARE_HEAD1", "TSY_FIRMWARE_HEAD2", "TSY_INKSTATE_READY", "TSY_NO_BUTTON",
        "TSY_OK_BUTTON",
    },
    1041: {
        "TSY_OK_BUTTON",
    },
    1042: set(),
    1043: {
        "TSY_COLOR_MAGENTA", "TSY_DIAGNOSE_BUTTON", "TSY_FIRMWARE_HEAD1", "TSY_FIRMWARE_HEAD2",
        "TSY_INKLEVELS_STATUS", "TSY_INKSTATE_READY", "TSY_OK_BUTTON", "TSY_PRINTER_LIST",
    },
    1044: {
        "TSY_COLOR_CYAN", "TSY_COLOR_MAGENTA", "TSY_INKLEVELS_REGION", "TSY_INKLEVELS_STATUS", "TSY_INKSTATE_READY",
        "TSY_OK_BUTTON",
    },
    1045: {
        "TSY_FIRMWARE_MODELNAME", "TSY_INKLEVELS_REGION", "TSY_OK_BUTTON",
    },
    1046: {
        "TSY_COLOR_MAGENTA", "TSY_FIRMWARE_HEAD1", "TSY_FIRMWARE_HEAD2", "TSY_INKLEVELS_STATUS",
        "TSY_INKSTATE_READY", "TSY_OK_BUTTON",
    },
    1049: set(),
    1053: {
        "TSY_COLOR_CYAN", "TSY_COLOR_MAGENTA", "TSY_INKLEVELS_REGION", "TSY_INKLEVELS_STATUS", "TSY_INKSTATE_READY",
        "TSY_OK_BUTTON",
    },
    1055: {
        "TSY_FIRMWARE_MODELNAME",
    },
    2052: set(),
}

# What a translation must carry over unchanged, in any order: format fields, line breaks, link markup.
PLACEHOLDER = re.compile(r"%[0-9]+|%[sdlu]|%ld|\\n|<a>|</a>")

failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def keys_in_code():
    keys = set()
    pattern = re.compile(r'L"((?:ADF_)?TSY_[A-Za-z0-9_]+)"')
    for folder in CODE_FOLDERS:
        for path in (ROOT / folder).rglob("*"):
            if path.suffix in (".cpp", ".h"):
                keys.update(pattern.findall(path.read_text(encoding="utf-8", errors="replace")))
    # A key ending in "_" is the stem of a family the code completes with a number (FAMILIES).
    keys = {key for key in keys if not key.endswith("_")}
    for form, numbers in FAMILIES.items():
        keys.update(form % n for n in numbers)
    return keys


def check_string_files(wanted):
    files = sorted((ROOT / "data" / "strings").glob("*.xml"))
    if not any(f.name == "1033.xml" for f in files):
        fail("data/strings/1033.xml is missing")
    for path in files:
        try:
            document = xml.dom.minidom.parse(str(path))
        except Exception as error:  # noqa: BLE001 - any parse error is a failure
            fail(f"{path.name}: not well-formed: {error}")
            continue
        ids = [e.getAttribute("ID") for e in document.getElementsByTagName("String")]
        duplicates = sorted({i for i in ids if ids.count(i) > 1})
        if duplicates:
            fail(f"{path.name}: keys defined twice: {duplicates}")
        missing = sorted(wanted - set(ids))
        if missing:
            fail(f"{path.name}: {len(missing)} keys missing: {missing[:20]}")
        title = [e.getAttribute("Value") for e in document.getElementsByTagName("String")
                 if e.getAttribute("ID") == "TSY_TITLE_STRING"]
        if title and "%1" not in title[0]:
            fail(f"{path.name}: the title has no %1 for the version")
    return len(files)


def string_values(path):
    document = xml.dom.minidom.parse(str(path))
    return {e.getAttribute("ID"): e.getAttribute("Value") for e in document.getElementsByTagName("String")}


def check_translations():
    folder = ROOT / "data" / "strings"
    english = string_values(folder / "1033.xml")
    for language, code in LANGUAGE_CODES.items():
        path = folder / f"{language}.xml"
        if not path.is_file():
            fail(f"{path.name} is missing")
            continue
        if path.read_bytes().startswith(b"\xef\xbb\xbf"):
            fail(f"{path.name}: starts with a byte order mark")
        try:
            values = string_values(path)
        except Exception:  # noqa: BLE001 - reported by check_string_files
            continue
        unknown = sorted(set(values) - set(english))
        if unknown:
            fail(f"{path.name}: keys English does not have: {unknown[:20]}")
        if values.get("TSY_LANG_CODE") != code:
            fail(f"{path.name}: TSY_LANG_CODE is {values.get('TSY_LANG_CODE')!r}, not {code!r}")
        # The device status page makes the customer care text a link where it finds it in the message.
        care = values.get("TSY_LINK_CUSTOMERCARE", "")
        if care not in values.get("TSY_CUSTOMERCARE_DEVICE_STATUS_MSG", ""):
            fail(f"{path.name}: TSY_CUSTOMERCARE_DEVICE_STATUS_MSG does not contain TSY_LINK_CUSTOMERCARE {care!r}")
        if language == 1033:
            continue
        allowed = SAME_IN_EVERY_LANGUAGE | SAME_AS_ENGLISH.get(language, set())
        for key, text in english.items():
            if key not in values:
                continue
            value = values[key]
            if sorted(PLACEHOLDER.findall(value)) != sorted(PLACEHOLDER.findall(text)):
                fail(f"{path.name}: {key}: placeholders {PLACEHOLDER.findall(value)} "
                     f"where English has {PLACEHOLDER.findall(text)}")
            if "%" in PLACEHOLDER.sub("", value):
                fail(f"{path.name}: {key}: a % that is no placeholder would be taken as one")
            if text.strip() and not value.strip():
                fail(f"{path.name}: {key} is empty")
            elif value == text and key not in allowed and key != "TSY_LANG_CODE":
                fail(f"{path.name}: {key} is the English text {text!r}")


def check_catalogue():
    path = ROOT / "data" / "config" / "product_info.xml"
    document = xml.dom.minidom.parse(str(path))
    products = document.getElementsByTagName("Product")
    if len(products) < 12:
        fail(f"the catalogue lists only {len(products)} models")
    for product in products:
        prn = product.getAttribute("PRN_FILE")
        if prn and not (path.parent / prn).is_file():
            fail(f"{product.getAttribute('PID')}: print file {prn} is missing")
    return len(products)


wanted = keys_in_code()
count = check_string_files(wanted)
check_translations()
models = check_catalogue()
print(f"{len(wanted)} keys checked in {count} string files; {models} catalogue entries")
sys.exit(1 if failures else 0)
