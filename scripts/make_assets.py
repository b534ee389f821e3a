#!/usr/bin/python3
"""Draws the shipped pictures, icons and low-level test-page print files.

    scripts/make_assets.py           write everything into res/images and data/config
    scripts/make_assets.py --check   verify the files in the tree: catalogue, picture sizes, and that
                                     every print file decodes back to the drawing it was made from

Output is deterministic: running it twice gives the same bytes (with the same PIL and fonts), so
the committed files can be compared with a fresh run. Needs Python 3 with PIL (python3-pil); the
DejaVu fonts (fonts-dejavu-core) are used when present. Helper tests:
    /usr/bin/python3 -m unittest discover -s scripts/make_assets
"""
import argparse
import io
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(HERE, "make_assets"))
sys.dont_write_bytecode = True      # leave no cache files in the source tree

try:
    from PIL import Image, ImageChops, ImageStat  # noqa: E402
except ImportError:
    sys.exit("make_assets.py needs PIL: apt-get install python3-pil, then run it with /usr/bin/python3")

import catalogue  # noqa: E402
import icons  # noqa: E402
import pcl  # noqa: E402
from inkcanvas import INK_RGB, planes_composite  # noqa: E402
from testpages import CONTENT_WIDTH_IN, PAGES, PROBES, render  # noqa: E402

IMAGES = os.path.join(ROOT, "res", "images")
CONFIG = os.path.join(ROOT, "data", "config")

PAPER = (251, 250, 246)        # scanned paper is never pure white
SUPERSAMPLE = 3

PICTURES = {
    "expected_six_colour.png": "six",
    "expected_four_colour.png": "four",
    "expected_colour_boxes.png": "boxes",
}

# file: (page, dialect, dpi)
PRINT_FILES = {
    "DS2_based.prn": ("six", "crd", 150),
    "Wren_4c.prn": ("four", "crd", 150),
    "corvid_small.prn": ("boxes", "simple", 150),
    "Vireo_Prn.prn": ("boxes", "cid", 100),
}

ICONS = {
    "app.ico": (icons.app_picture, [16, 32, 48, 256]),
    "service.ico": (icons.service_picture, [32, 48]),
    "warning.ico": (icons.warning_picture, [16, 32, 48]),
    "clean.ico": (icons.clean_picture, [16, 32, 48]),
    "align.ico": (icons.align_picture, [16, 32, 48]),
    "page.ico": (icons.page_picture, [16, 32, 48]),
}

MAX_PRINT_FILE = 1 << 20


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, "PNG", optimize=True)
    return buf.getvalue()


def bmp_bytes(img):
    buf = io.BytesIO()
    img.save(buf, "BMP")
    return buf.getvalue()


# ---------------------------------------------------------------- pictures

def dot_size(page, dpi=150):
    """Design units per printer dot; pictures use the 150-dpi dot so fine lines look as printed."""
    return PAGES[page][0][0] / (CONTENT_WIDTH_IN * dpi)


def expected_picture(page):
    size = PAGES[page][0]
    cv = render(page, SUPERSAMPLE, dot_size(page))
    return cv.composite(PAPER).resize(size, Image.LANCZOS)


def icon_images(name):
    draw, sizes = ICONS[name]
    out = []
    for s in sizes:
        if name == "app.ico" and s == 16:
            out.append(icons.reduce(icons.app_picture(s * 8, simple=True), s))
        else:
            out.append(icons.reduce(draw(s * (4 if s >= 256 else 8)), s))
    return out


def all_images():
    """name -> bytes for every file under res/images."""
    out = {"main_background.png": png_bytes(icons.main_background()),
           "page_white.png": png_bytes(Image.new("RGB", (756, 540), (255, 255, 255))),
           "step_failed.png": png_bytes(icons.step_failed()),
           "step_passed.png": png_bytes(icons.step_passed()),
           "step_current.png": png_bytes(icons.step_current()),
           "step_notrun.bmp": bmp_bytes(icons.step_notrun())}
    for name, page in PICTURES.items():
        out[name] = png_bytes(expected_picture(page))
    for name in ICONS:
        out[name] = icons.ico_bytes(icon_images(name))
    return out


# ---------------------------------------------------------------- print files

def print_raster(page, dpi):
    """The drawing at printer resolution, halftoned: (canvas, dict ink -> '1' image)."""
    size = PAGES[page][0]
    cv = render(page, dpi * CONTENT_WIDTH_IN / size[0], dot_size(page, dpi))
    return cv, cv.halftone()


def ink_combo_palette(inks):
    """Palette index = bit mask of inks (bit k = inks[k]); colour = those inks printed together."""
    pal = []
    for mask in range(1 << len(inks)):
        rgb = [255.0, 255.0, 255.0]
        for k, ink in enumerate(inks):
            if mask >> k & 1:
                rgb = [v * p / 255.0 for v, p in zip(rgb, INK_RGB[ink])]
        pal.append(tuple(int(round(v)) for v in rgb))
    return pal


def combo_indices(planes, inks):
    acc = Image.new("L", planes[inks[0]].size, 0)
    for k, ink in enumerate(inks):
        acc = ImageChops.add(acc, planes[ink].convert("L").point(lambda v, b=1 << k: b if v else 0))
    return acc.tobytes()


def encode_print_file(name):
    page, dialect, dpi = PRINT_FILES[name]
    cv, planes = print_raster(page, dpi)
    w, h = cv.size
    margin = (8.5 - CONTENT_WIDTH_IN) / 2
    if dialect == "crd":
        return pcl.write_planes_crd([planes[k].tobytes() for k in cv.inks], w, h, dpi, margin, 0.5)
    if dialect == "simple":
        return pcl.write_planes_simple([planes[k].tobytes() for k in ["K", "C", "M", "Y"]], w, h, dpi, margin, 0.5)
    return pcl.write_indexed_cid(combo_indices(planes, cv.inks), ink_combo_palette(cv.inks), w, h, dpi, margin, 0.5)


def all_print_files():
    return {name: encode_print_file(name) for name in PRINT_FILES}


# ---------------------------------------------------------------- check

def check_print_file(name, data, problems):
    """Decode the file and compare it with a fresh halftone of the same drawing and with the picture."""
    page, dialect, dpi = PRINT_FILES[name]
    cv, planes = print_raster(page, dpi)
    w, h = cv.size
    try:
        r = pcl.read_raster(data)
    except pcl.PclError as e:
        problems.append("%s: does not decode: %s" % (name, e))
        return
    if (r["width"], r["height"], r["dpi"]) != (w, h, dpi):
        problems.append("%s: raster %dx%d at %s dpi, drawing is %dx%d at %d" % (
            name, r["width"], r["height"], r["dpi"], w, h, dpi))
        return
    if r["pages"] != 1:
        problems.append("%s: %d form feeds, expected 1" % (name, r["pages"]))
    if dialect == "cid":
        pal = r["palette"]
        if pal != ink_combo_palette(cv.inks):
            problems.append("%s: palette differs from the ink combinations" % name)
            return
        if r["indices"] != combo_indices(planes, cv.inks):
            problems.append("%s: decoded pixels differ from the drawing" % name)
        decoded = {ink: Image.frombytes("L", (w, h), r["indices"]).point(
            lambda v, b=1 << k: 255 if v & b else 0).convert("1") for k, ink in enumerate(cv.inks)}
    else:
        order = cv.inks if dialect == "crd" else ["K", "C", "M", "Y"]
        if len(r["planes"]) != len(order):
            problems.append("%s: %d planes, expected %d" % (name, len(r["planes"]), len(order)))
            return
        decoded = {ink: Image.frombytes("1", (w, h), r["planes"][k]) for k, ink in enumerate(order)}
        for ink in order:
            if decoded[ink].tobytes() != planes[ink].tobytes():
                problems.append("%s: plane %s differs from the drawing" % (name, ink))
    # probes: the middle of each colour box carries its own ink and no other
    for (x, y), ink in PROBES[page]:
        px, py = int(cv.s(x)), int(cv.s(y))
        on = [k for k in cv.inks if decoded[k].getpixel((px, py))]
        if on != [ink]:
            problems.append("%s: at the %s box found inks %s" % (name, ink, on))
    # the picture must show the same page: compare the decoded print with the picture, both
    # reduced enough to average out the halftone, and the colour boxes region by region
    pic_path = os.path.join(IMAGES, [n for n, p in PICTURES.items() if p == page][0])
    if os.path.exists(pic_path):
        pic = Image.open(pic_path).convert("RGB")
        printed = planes_composite(decoded, cv.inks, (w, h), PAPER).resize(pic.size, Image.BOX)
        small = (pic.size[0] // 4, pic.size[1] // 4)
        diff = ImageStat.Stat(ImageChops.difference(printed.resize(small, Image.BOX), pic.resize(small, Image.BOX))).mean
        if max(diff) > 5:
            problems.append("%s: differs from %s by %s on average" % (name, os.path.basename(pic_path),
                                                                     [round(v, 1) for v in diff]))
        for (x, y), ink in PROBES[page]:
            region = (int(x) - 8, int(y) - 8, int(x) + 8, int(y) + 8)
            a = ImageStat.Stat(printed.crop(region)).mean
            b = ImageStat.Stat(pic.crop(region)).mean
            if max(abs(i - j) for i, j in zip(a, b)) > 12:
                problems.append("%s: %s box is %s in print, %s in picture" % (
                    name, ink, [round(v) for v in a], [round(v) for v in b]))


EXPECTED_SIZES = {
    "main_background.png": (756, 542), "page_white.png": (756, 540),
    "expected_six_colour.png": (480, 489), "expected_four_colour.png": (613, 408),
    "expected_colour_boxes.png": (588, 421),
    "step_failed.png": (30, 30), "step_passed.png": (30, 30), "step_current.png": (30, 30),
    "step_notrun.bmp": (30, 30),
}


def check(problems):
    catalogue.check(os.path.join(CONFIG, "product_info.xml"), CONFIG, problems)
    fresh_images = all_images()
    for name, blob in sorted(fresh_images.items()):
        path = os.path.join(IMAGES, name)
        if not os.path.exists(path):
            problems.append("missing " + path)
            continue
        on_disk = open(path, "rb").read()
        if on_disk != blob:
            problems.append("%s: differs from a fresh run (re-run the script)" % name)
        img = Image.open(path)
        if name.endswith(".ico"):
            sizes = sorted(img.info.get("sizes", set()))
            want = sorted((s, s) for s in ICONS[name][1])
            if sizes != want:
                problems.append("%s: sizes %s, expected %s" % (name, sizes, want))
            for s in want:
                img.size = s
                if img.convert("RGBA").getchannel("A").getbbox() is None:
                    problems.append("%s: %s image is empty" % (name, s))
        else:
            if img.size != EXPECTED_SIZES[name]:
                problems.append("%s: %s, expected %s" % (name, img.size, EXPECTED_SIZES[name]))
            want_mode = "RGBA" if name.startswith("step_") and name.endswith(".png") else "RGB"
            if img.mode != want_mode:
                problems.append("%s: mode %s, expected %s" % (name, img.mode, want_mode))
    fresh_prn = all_print_files()
    for name, blob in sorted(fresh_prn.items()):
        path = os.path.join(CONFIG, name)
        if not os.path.exists(path):
            problems.append("missing " + path)
            continue
        data = open(path, "rb").read()
        if len(data) > MAX_PRINT_FILE:
            problems.append("%s: %d bytes, over the size budget" % (name, len(data)))
        if data != blob:
            problems.append("%s: differs from a fresh run (re-run the script)" % name)
        check_print_file(name, data, problems)


def write_all():
    written = []
    for folder, files in ((IMAGES, all_images()), (CONFIG, all_print_files())):
        os.makedirs(folder, exist_ok=True)
        for name, blob in sorted(files.items()):
            path = os.path.join(folder, name)
            with open(path, "wb") as f:
                f.write(blob)
            written.append((os.path.relpath(path, ROOT), len(blob)))
    for rel, n in written:
        print("%-40s %9d bytes" % (rel, n))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--check", action="store_true", help="verify the files in the tree instead of writing")
    args = ap.parse_args()
    if args.check:
        problems = []
        check(problems)
        for p in problems:
            print("FAIL " + p)
        print("%s: %d problem(s)" % ("check failed" if problems else "check passed", len(problems)))
        return 1 if problems else 0
    write_all()
    return 0


if __name__ == "__main__":
    sys.exit(main())
