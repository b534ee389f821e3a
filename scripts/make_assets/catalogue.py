"""Consistency checks for data/config/product_info.xml.

The tool reads the catalogue by first match in document order, with containment tests on product
ids and normalized names; these checks keep the shipped file free of entries that would shadow
each other, so the order of entries never changes an answer.
"""
import os
import re
from xml.dom import minidom

ATTRS = ["PID", "MODEL", "INSTALL_NAME", "PRN_FILE", "COPY", "ADF", "DEVICE_TYPE",
         "COPY_KEYWORD", "PAGE_TYPE", "PRINT_DIAG_INFO"]

# Product ids the tool's code names (fixed models, special cases, service exclusions, support OIDs).
REQUIRED_IDS = """
5912 5c12 1812 7811
a011 ac11 9a11 9411 9b11 8911 8811 9311 9511 be11 b911 8711
b311 ab11 a311 bf11 c011 aa11
9b11 a211 7811 7e11 7f11 2a12 d102 6612 d002 7011 8311 8211 7511 7411 2312 2212 2504 7611 8011
1e04 7711 8c11 bd02 6d11 6f11 7d11 5d12 9c11 6512 be11 3412 2512 2112 b411 7c11
""".split()

NORMALIZE_TOKENS = ["kelo", "series", "class", "driver", "(network)", "(usb)", "(printer)", "(mfp)"]


def normalize(name):
    s = name.lower()
    for t in NORMALIZE_TOKENS:
        s = s.replace(t, "")
    return s.strip()


def products(path):
    doc = minidom.parse(path)
    return [{a: e.getAttribute(a) for a in ATTRS if e.hasAttribute(a)}
            for e in doc.getElementsByTagName("Product")]


def check(path, config_dir, problems):
    try:
        items = products(path)
    except Exception as e:  # any parse failure is one finding
        problems.append("product_info.xml: does not parse: %s" % e)
        return
    if len(items) < 12:
        problems.append("product_info.xml: only %d products" % len(items))
    seen = {}
    names = []
    for i, p in enumerate(items):
        tag = "product %d (%s)" % (i + 1, p.get("MODEL", "?"))
        missing = [a for a in ATTRS if a not in p]
        if missing:
            problems.append("%s: missing %s" % (tag, ", ".join(missing)))
            continue
        # A network printer takes the whole PID text as its product id; id-keyed tables
        # (service exclusions, support ids) only find it when the text is a single id.
        if len(p["PID"].split(" ")) != 1:
            problems.append("%s: lists %r; use one product id per entry" % (tag, p["PID"]))
        for pid in p["PID"].split(" "):
            if not re.fullmatch(r"[0-9a-f]{4}", pid):
                problems.append("%s: product id %r is not four lower-case hex digits" % (tag, pid))
            if pid in seen:
                problems.append("%s: product id %s already listed by %s" % (tag, pid, seen[pid]))
            seen[pid] = tag
        for a in ("COPY", "ADF", "PRINT_DIAG_INFO"):
            if p[a] not in ("YES", "NO"):
                problems.append("%s: %s=%r, expected YES or NO" % (tag, a, p[a]))
        if p["COPY"] == "NO" and p["ADF"] == "YES":
            problems.append("%s: feeder without copier" % tag)
        if not os.path.exists(os.path.join(config_dir, p["PRN_FILE"])):
            problems.append("%s: print file %s missing" % (tag, p["PRN_FILE"]))
        if not re.fullmatch(r"[a-z0-9-]{2,20}", p["COPY_KEYWORD"]) or not re.fullmatch(r"[a-z0-9-]{2,20}", p["PAGE_TYPE"]):
            problems.append("%s: keywords must be short lower-case tokens" % tag)
        for a in ("MODEL", "INSTALL_NAME"):
            n = normalize(p[a])
            if not n:
                problems.append("%s: %s is empty after normalization" % (tag, a))
            names.append((n, i, a))
    for n1, i1, a1 in names:
        for n2, i2, a2 in names:
            if i1 != i2 and n1 and n1 in n2:
                problems.append("%s of product %d (%r) is contained in %s of product %d (%r)" % (
                    a1, i1 + 1, n1, a2, i2 + 1, n2))
    absent = sorted(set(REQUIRED_IDS) - set(seen))
    if absent:
        problems.append("product_info.xml: product ids not listed: " + " ".join(absent))
    types = {p.get("DEVICE_TYPE", "").lower() == "rest" for p in items}
    if types != {True, False}:
        problems.append("product_info.xml: both data models must be present")
    for a in ("COPY", "ADF", "PRINT_DIAG_INFO"):
        if {p.get(a) for p in items} != {"YES", "NO"}:
            problems.append("product_info.xml: %s never varies" % a)
    fixed = {"5912": "workline 4420", "5c12": "workline pro 9150"}
    for p in items:
        for pid, key in fixed.items():
            if pid in p.get("PID", "").split() and key not in normalize(p.get("INSTALL_NAME", "")):
                problems.append("product %s: install name does not name %r" % (pid, key))
