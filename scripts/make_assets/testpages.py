"""The three test pages, drawn in design units (one unit = one pixel of the expected-page picture).

Each page function takes an InkCanvas of the right design size; the caller picks the scale
(printer resolution for the print file, a supersampled scale for the picture).
"""
import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from inkcanvas import INK_RGB, InkCanvas

CONTENT_WIDTH_IN = 7.5         # printed width of every page (centred on letter or A4)

SIX_INKS = ["K", "C", "M", "Y", "Lc", "Lm"]
FOUR_INKS = ["K", "C", "M", "Y"]

TITLES = [
    ("EN", "Print Quality Test Page"),
    ("FR", "Page de test de la qualité d'impression"),
    ("DE", "Testseite für die Druckqualität"),
    ("ES", "Página de prueba de calidad de impresión"),
    ("IT", "Pagina di prova della qualità di stampa"),
]

BOX_NOTES = [
    ("EN", "Each of the four boxes should be filled with solid, even colour, without streaks or gaps."),
    ("FR", "Chacun des quatre carrés doit être d'une couleur unie et régulière, sans stries ni manques."),
    ("DE", "Jedes der vier Felder sollte gleichmäßig und vollflächig gefüllt sein, ohne Streifen oder Lücken."),
    ("ES", "Cada uno de los cuatro cuadros debe tener un color sólido y uniforme, sin rayas ni huecos."),
    ("IT", "Ciascuno dei quattro riquadri deve avere un colore pieno e uniforme, senza strisce né vuoti."),
]

SOLID = {
    "C": {"C": 255}, "K": {"K": 255}, "M": {"M": 255}, "Y": {"Y": 255},
    "Lc": {"Lc": 255}, "Lm": {"Lm": 255},
}
NAMES = {"C": "Cyan", "K": "Black", "M": "Magenta", "Y": "Yellow", "Lc": "Light cyan", "Lm": "Light magenta"}
GREY = {"K": 150}


# ---------------------------------------------------------------- the photo

def _vgradient(size, top, bottom):
    w, h = size
    mask = Image.linear_gradient("L").resize((w, h), Image.BILINEAR)
    return Image.composite(Image.new("RGB", size, bottom), Image.new("RGB", size, top), mask)


def landscape(w, h):
    """A small synthetic photograph: evening sky, sun, mountains, lake, shore trees."""
    horizon = int(h * 0.58)
    sky = _vgradient((w, horizon), (28, 78, 172), (255, 186, 112))
    full = Image.new("RGB", (w, h))
    full.paste(sky, (0, 0))

    # sun with a soft glow
    cx, cy = int(w * 0.68), int(horizon * 0.40)
    glow_r = int(w * 0.16)
    mask = Image.new("L", (w, horizon), 0)
    ImageDraw.Draw(mask).ellipse([cx - glow_r, cy - glow_r, cx + glow_r, cy + glow_r], fill=210)
    mask = mask.filter(ImageFilter.GaussianBlur(glow_r * 0.55))
    full.paste(Image.new("RGB", (w, horizon), (255, 232, 170)), (0, 0), mask)
    d = ImageDraw.Draw(full)
    r = max(2, int(w * 0.04))
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(255, 248, 222))

    # mountain ranges, far to near: (colour, height above horizon, relief, frequency, phase)
    ranges = [
        ((150, 128, 178), 0.42, 0.10, 3.1, 0.0),
        ((96, 92, 150), 0.30, 0.08, 5.3, 1.7),
        ((62, 118, 70), 0.13, 0.05, 8.9, 0.6),
    ]
    for colour, base, amp, freq, phase in ranges:
        pts = [(0, horizon + 1)]
        steps = max(16, w // 2)
        for i in range(steps + 1):
            x = w * i / steps
            t = i / steps
            y = horizon * (1 - base) - horizon * amp * (
                math.sin(freq * t * math.pi + phase) + 0.45 * math.sin(2.7 * freq * t * math.pi + 2 * phase))
            pts.append((x, y))
        pts.append((w, horizon + 1))
        d.polygon(pts, fill=colour)

    # lake: the sky mirrored and darkened, with bright ripples under the sun
    lake_h = h - horizon
    refl = full.crop((0, 0, w, horizon)).transpose(Image.FLIP_TOP_BOTTOM).resize((w, lake_h), Image.BILINEAR)
    refl = ImageChops.multiply(refl, _vgradient((w, lake_h), (210, 214, 226), (70, 92, 130)))
    full.paste(refl, (0, horizon))
    step = max(2, h // 30)
    for i, y in enumerate(range(horizon + step, h, step)):
        half = w * (0.015 + 0.05 * ((i * 7) % 5) / 5) * (0.5 + (y - horizon) / lake_h)
        shift = w * 0.03 * math.sin(i * 2.3)
        d.line([(cx + shift - half, y), (cx + shift + half, y)], fill=(246, 206, 150), width=max(1, h // 160))
    # shore and trees
    d.rectangle([0, horizon - max(1, h // 100), w, horizon + max(1, h // 100)], fill=(36, 58, 40))
    for i in range(9):
        tx = w * (0.04 + i * 0.047)
        th = h * (0.12 + 0.06 * ((i * 5) % 3))
        tw = th * 0.30
        d.polygon([(tx, horizon - th), (tx - tw, horizon + 1), (tx + tw, horizon + 1)], fill=(22, 64, 38))
    return full


def _solve_inks(rgb, with_k=True):
    """Coverages (0..1) of C, M, Y, K whose composite on white matches rgb (coordinate descent
    on the multiplicative ink model, black only in the shadows)."""
    t = [max(1.0, v) / 255.0 for v in rgb]
    absorb = {k: [1 - p / 255.0 for p in INK_RGB[k]] for k in "CMYK"}
    k_cov = 0.0
    if with_k:
        darkest = 1 - max(t)
        k_cov = max(0.0, (darkest - 0.45) / 0.55) ** 1.5 * 0.85
    cov = {"C": 0.0, "M": 0.0, "Y": 0.0, "K": k_cov}
    lead = {"C": 0, "M": 1, "Y": 2}
    for _ in range(30):
        for ink, p in lead.items():
            other = 1.0
            for k2 in "CMYK":
                if k2 != ink:
                    other *= 1 - cov[k2] * absorb[k2][p]
            need = t[p] / other
            cov[ink] = min(1.0, max(0.0, (1 - need) / absorb[ink][p]))
    return cov


_LUT = {}


def _lut(size=17):
    if size not in _LUT:
        table = []
        # Color3DLUT wants the red index to vary fastest.
        for b in range(size):
            for g in range(size):
                for r in range(size):
                    cov = _solve_inks([r * 255 / (size - 1), g * 255 / (size - 1), b * 255 / (size - 1)])
                    table.extend([cov["C"], cov["M"], cov["Y"], cov["K"]])
        _LUT[size] = ImageFilter.Color3DLUT(size, table, channels=4, target_mode="RGBA")
    return _LUT[size]


def separate(rgb, inks):
    """RGB -> ink coverage images; with light inks the low half of cyan and magenta goes to the light ink."""
    c, m, y, k = rgb.filter(_lut()).split()
    out = {"K": k, "C": c, "M": m, "Y": y}
    if "Lc" in inks:
        light = [min(255, 2 * v) if v <= 128 else max(0, 2 * (255 - v)) for v in range(256)]
        dark = [max(0, 2 * v - 255) for v in range(256)]
        out["Lc"], out["C"] = c.point(light), c.point(dark)
        out["Lm"], out["M"] = m.point(light), m.point(dark)
    return out


def photo(cv, x0, y0, x1, y1):
    w = int(round(cv.s(x1))) - int(round(cv.s(x0)))
    h = int(round(cv.s(y1))) - int(round(cv.s(y0)))
    cv.paste_channels(x0, y0, separate(landscape(w, h), cv.inks))


def ramps(cv, x0, y0, x1, y1):
    """Black ramp and composite (CMY) grey ramp, light to dark."""
    w = int(round(cv.s(x1))) - int(round(cv.s(x0)))
    hh = (y1 - y0 - 2) / 2
    h = int(round(cv.s(hh)))
    ramp = Image.linear_gradient("L").rotate(90, expand=True).transpose(Image.FLIP_LEFT_RIGHT).resize((w, h))
    blank = Image.new("L", (w, h), 0)
    cv.paste_channels(x0, y0, {"K": ramp})
    cmy = ramp.point(lambda v: v * 200 // 255)
    layers = {"C": cmy, "M": cmy.point(lambda v: v * 200 // 255 * 235 // 200), "Y": cmy.point(lambda v: v * 190 // 200)}
    layers.update({k: blank for k in cv.inks if k not in layers})
    cv.paste_channels(x0, y0 + hh + 2, layers)


def text_ladder(cv, x, y, points, gap, right, page_w):
    """Sample lines of growing size in printed points; each sample is cut to the words that fit."""
    words = "Aa Bb Cc Dd Ee 0123456789".split()
    per_unit = 72.0 * CONTENT_WIDTH_IN / page_w
    for pt in points:
        s = pt / per_unit
        cv.text(x, y + s - 1, "%g pt" % pt, 6.5, GREY, anchor="ls")
        n = len(words)
        while n > 1 and cv.text_width(" ".join(words[:n]), s) > right - x - 30:
            n -= 1
        cv.text(x + 30, y + s, " ".join(words[:n]), s, anchor="ls")
        y += s + gap
    return y


def line_block(cv, x0, y0, x1, y1, inks, px):
    """Fine vertical lines over horizontal lines; px is the print dot width of a line."""
    mid = (y0 + y1) / 2
    step = 4.0
    x = x0
    while x < x1 - 0.1:
        cv.line(x, y0, x, mid - 1, 0, inks, dots=px)
        x += step
    y = mid + 1
    while y < y1 - 0.1:
        cv.line(x0, y, x1, y, 0, inks, dots=px)
        y += step


def diagonal_block(cv, x0, y0, x1, y1, inks, px):
    w = x1 - x0
    h = y1 - y0
    d = -h
    while d < w:
        a = (x0 + max(d, 0), y0 + max(0, -d))
        b_len = min(w - max(d, 0), h - max(0, -d))
        cv.line(a[0], a[1], a[0] + b_len, a[1] + b_len, 0, inks, dots=px)
        d += 5


def logo(cv, x, y, size):
    """The maker's word mark: a small black tile with a cyan-magenta-yellow stripe."""
    cv.rect(x, y, x + size * 3.2, y + size * 1.25, {"K": 255})
    cv.text(x + size * 1.6, y + size * 0.64, "KELO", size * 0.8, {}, bold=True, anchor="mm", knockout=True)
    third = size * 3.2 / 3
    for i, ink in enumerate(["C", "M", "Y"]):
        cv.rect(x + i * third, y + size * 1.25, x + (i + 1) * third, y + size * 1.45, {ink: 255})


def footer(cv, x, y, text):
    cv.text(x, y, text, 6.5, GREY)


# ---------------------------------------------------------------- pages

SIX_SIZE = (480, 489)
FOUR_SIZE = (613, 408)
BOXES_SIZE = (588, 421)


def page_six(cv):
    m = 16
    cv.text(m, 14, TITLES[0][1], 15, bold=True)
    y = 36
    for code, t in TITLES[1:]:
        cv.text(m, y, code, 7, bold=True)
        cv.text(m + 16, y, t, 8.5)
        y += 12
    logo(cv, 480 - m - 48, 14, 15)
    cv.line(m, 88, 480 - m, 88, 0.8, {"K": 255})

    inks = ["C", "K", "M", "Y", "Lc", "Lm"]
    bw, gap = 68, 8
    for i, ink in enumerate(inks):
        x = m + i * (bw + gap)
        cv.rect(x, 98, x + bw, 150, SOLID[ink])
        cv.text(x + bw / 2, 155, NAMES[ink], 7.5, anchor="mt")

    cv.text(m, 172, "Photo", 7, GREY, bold=True)
    photo(cv, m, 182, m + 240, 182 + 156)
    ramps(cv, m, 342, m + 240, 362)

    cv.text(272, 172, "Text", 7, GREY, bold=True)
    text_ladder(cv, 272, 184, [6, 7, 8, 9, 11, 14, 16, 19], 6, 480 - m, 480)

    cv.text(m, 376, "Lines", 7, GREY, bold=True)
    for i, ink in enumerate(inks):
        x = m + i * (bw + gap)
        line_block(cv, x, 386, x + bw, 436, SOLID[ink], 1)
        diagonal_block(cv, x, 440, x + bw, 462, SOLID[ink], 1)
    footer(cv, m, 472, "Kelo Tessaly  ·  low-level print test  ·  6 inks: C K M Y LC LM")


def page_four(cv):
    m = 16
    W = 613
    cv.text(m, 12, TITLES[0][1], 16, bold=True)
    logo(cv, W - m - 48, 12, 15)
    cv.line(m, 40, W - m, 40, 0.8, {"K": 255})

    inks = ["C", "K", "M", "Y"]
    bw, gap = 80, 10
    for i, ink in enumerate(inks):
        x = m + i * (bw + gap)
        cv.rect(x, 50, x + bw, 104, SOLID[ink])
        cv.text(x + bw / 2, 109, NAMES[ink], 7.5, anchor="mt")
    note = ["Each box should be solid and evenly coloured.",
            "Streaks, gaps or a missing colour point to the",
            "ink cartridge or printhead of that colour.",
            "Run printhead cleaning, then print this page again."]
    nx = m + 4 * (bw + gap) + 6
    cv.text(nx, 52, "Note", 8, bold=True)
    for i, line in enumerate(note):
        cv.text(nx, 66 + i * 11, line, 8)

    cv.text(m, 128, "Photo", 7, GREY, bold=True)
    photo(cv, m, 138, m + 290, 138 + 150)
    ramps(cv, m, 292, m + 290, 312)

    cv.text(324, 128, "Text", 7, GREY, bold=True)
    text_ladder(cv, 324, 140, [5, 6, 7, 8, 9, 11, 13, 15, 18], 5, W - m, W)

    cv.text(m, 322, "Lines", 7, GREY, bold=True)
    for i, ink in enumerate(inks):
        x = m + i * (bw + gap)
        line_block(cv, x, 332, x + bw, 370, SOLID[ink], 1)
        diagonal_block(cv, x, 374, x + bw, 390, SOLID[ink], 1)
    bx = m + 4 * (bw + gap)
    for j, px in enumerate([1, 2, 3]):
        line_block(cv, bx + j * 65, 332, bx + j * 65 + 58, 370, {"K": 255}, px)
        diagonal_block(cv, bx + j * 65, 374, bx + j * 65 + 58, 390, {"K": 255}, px)
    footer(cv, m, 394, "Kelo Tessaly  ·  low-level print test  ·  4 inks: C K M Y")


def page_boxes(cv):
    m = 18
    W = 588
    cv.text(m, 14, TITLES[0][1], 16, bold=True)
    y = 38
    for code, t in TITLES[1:]:
        cv.text(m, y, code, 7, bold=True)
        cv.text(m + 16, y, t, 9)
        y += 13
    logo(cv, W - m - 48, 14, 15)
    cv.line(m, 96, W - m, 96, 0.8, {"K": 255})

    inks = ["C", "K", "M", "Y"]
    gap = 16
    bw = (W - 2 * m - 3 * gap) / 4
    for i, ink in enumerate(inks):
        x = m + i * (bw + gap)
        cv.rect(x, 110, x + bw, 230, SOLID[ink])
        cv.text(x + bw / 2, 236, ink, 9, bold=True, anchor="mt")

    y = 276
    for code, t in BOX_NOTES:
        cv.text(m, y + 1, code, 7, bold=True)
        cv.text(m + 16, y, t, 9)
        y += 20


PAGES = {
    "six": (SIX_SIZE, SIX_INKS, page_six),
    "four": (FOUR_SIZE, FOUR_INKS, page_four),
    "boxes": (BOXES_SIZE, FOUR_INKS, page_boxes),
}

# Points (design units) where one solid ink alone must be found, for the round-trip check.
PROBES = {
    "six": [((16 + i * 76 + 34, 124), ink) for i, ink in enumerate(["C", "K", "M", "Y", "Lc", "Lm"])],
    "four": [((16 + i * 90 + 40, 77), ink) for i, ink in enumerate(["C", "K", "M", "Y"])],
    "boxes": [((18 + i * ((588 - 36 - 48) / 4 + 16) + 60, 170), ink) for i, ink in enumerate(["C", "K", "M", "Y"])],
}


def render(page, scale, dot):
    """dot: design units per printer dot of the print file this page goes into."""
    size, inks, fn = PAGES[page]
    cv = InkCanvas(size[0], size[1], scale, inks, dot)
    fn(cv)
    return cv
