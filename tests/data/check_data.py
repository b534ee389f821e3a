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
models = check_catalogue()
print(f"{len(wanted)} keys checked in {count} string files; {models} catalogue entries")
sys.exit(1 if failures else 0)
