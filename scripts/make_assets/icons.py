"""Step badges, window background and Windows icons.

Everything is drawn large (supersampled) and reduced with premultiplied alpha, so edges are
anti-aliased without dark fringes.
"""
import io
import math
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from inkcanvas import font


def reduce(img, size):
    """Downsample RGBA with premultiplied alpha."""
    return img.convert("RGBa").resize((size, size), Image.LANCZOS).convert("RGBA")


def _vgrad(size, top, bottom):
    w, h = size
    mask = Image.linear_gradient("L").resize((w, h), Image.BILINEAR)
    return Image.composite(Image.new("RGBA", size, bottom), Image.new("RGBA", size, top), mask)


def _shape(size, draw_fn):
    m = Image.new("L", size, 0)
    draw_fn(ImageDraw.Draw(m))
    return m


def _fill(base, mask, colour_or_img):
    """Paint colour (or an RGBA image) through a coverage mask, keeping partial edges free of dark fringes."""
    src = colour_or_img if isinstance(colour_or_img, Image.Image) else Image.new("RGBA", base.size, colour_or_img)
    layer = src.copy()
    layer.putalpha(ImageChops.multiply(src.getchannel("A"), mask))
    return Image.alpha_composite(base, layer)


def _thick_polyline(d, pts, width, fill):
    d.line(pts, fill=fill, width=width, joint="curve")
    r = width / 2
    for x, y in (pts[0], pts[-1]):
        d.ellipse([x - r, y - r, x + r, y + r], fill=fill)


# ---------------------------------------------------------------- step icons (30 x 30)

def _badge(top, bottom, rim, S=240):
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    pad = S * 0.06
    disc = _shape(img.size, lambda d: d.ellipse([pad, pad, S - pad, S - pad], fill=255))
    img = _fill(img, disc, rim)
    inner = S * 0.1
    core = _shape(img.size, lambda d: d.ellipse([inner, inner, S - inner, S - inner], fill=255))
    img = _fill(img, core, _vgrad(img.size, top, bottom))
    # soft highlight in the upper half
    hl = _shape(img.size, lambda d: d.ellipse([S * 0.22, S * 0.14, S * 0.78, S * 0.5], fill=70))
    hl = hl.filter(ImageFilter.GaussianBlur(S * 0.04))
    return _fill(img, ImageChops.multiply(hl, core), (255, 255, 255, 255))


def step_failed(S=240):
    img = _badge((236, 84, 72, 255), (190, 30, 30, 255), (150, 22, 22, 255), S)
    d = ImageDraw.Draw(img)
    a, b, w = S * 0.33, S * 0.67, int(S * 0.12)
    _thick_polyline(d, [(a, a), (b, b)], w, (255, 255, 255, 255))
    _thick_polyline(d, [(a, b), (b, a)], w, (255, 255, 255, 255))
    return reduce(img, 30)


def step_passed(S=240):
    img = _badge((96, 196, 96, 255), (34, 138, 52, 255), (24, 104, 40, 255), S)
    d = ImageDraw.Draw(img)
    _thick_polyline(d, [(S * 0.29, S * 0.52), (S * 0.44, S * 0.67), (S * 0.72, S * 0.35)], int(S * 0.12),
                    (255, 255, 255, 255))
    return reduce(img, 30)


def step_current(S=240):
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    pts = [(0.10, 0.38), (0.50, 0.38), (0.50, 0.16), (0.90, 0.50), (0.50, 0.84), (0.50, 0.62), (0.10, 0.62)]
    pts = [(x * S, y * S) for x, y in pts]
    outline = _shape(img.size, lambda d: d.polygon(pts, fill=255))
    img = _fill(img, outline.filter(ImageFilter.MaxFilter(9)), (16, 74, 160, 255))
    return reduce(_fill(img, outline, _vgrad(img.size, (92, 160, 240, 255), (28, 100, 200, 255))), 30)


def step_notrun():
    return Image.new("RGB", (30, 30), (255, 255, 255))


# ---------------------------------------------------------------- main window background

def main_background(w=756, h=542):
    img = _vgrad((w, h), (238, 244, 250, 255), (252, 253, 254, 255))
    band = 46
    img.paste(_vgrad((w, band), (206, 223, 241, 255), (226, 236, 247, 255)), (0, 0))
    d = ImageDraw.Draw(img)
    d.rectangle([0, band, w, band + 1], fill=(52, 116, 180, 255))
    d.rectangle([0, band + 2, w, band + 3], fill=(196, 216, 236, 255))
    # faint arcs in the lower right corner, drawn large and reduced for smooth edges
    S = 3
    arcs = Image.new("L", (w * S, h * S), 0)
    ad = ImageDraw.Draw(arcs)
    for i, r in enumerate([520, 430, 350]):
        cx, cy = (w + 120) * S, (h + 160) * S
        ad.ellipse([cx - r * S, cy - r * S, cx + r * S, cy + r * S], outline=255, width=(10 - 3 * i) * S)
    arcs = arcs.resize((w, h), Image.LANCZOS).point(lambda v: v * 26 // 255)
    img = _fill(img, arcs, (60, 130, 200, 255))
    return img.convert("RGB")


# ---------------------------------------------------------------- icon pictures

def _rot(pts, cx, cy, deg):
    a = math.radians(deg)
    ca, sa = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * ca - (y - cy) * sa, cy + (x - cx) * sa + (y - cy) * ca) for x, y in pts]


def app_picture(S, simple=False):
    """A printer with a sheet coming out and a magnifier holding a green tick."""
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    u = S / 64.0

    def R(*v):
        return [c * u for c in v]

    d = ImageDraw.Draw(img)
    # paper in the input slot
    d.rectangle(R(16, 4, 48, 24), fill=(250, 250, 250, 255), outline=(150, 156, 166, 255), width=max(1, int(u)))
    if not simple:
        for y in (10, 15, 20):
            d.line(R(21, y, 43, y), fill=(176, 186, 200, 255), width=max(1, int(u * 1.2)))
    # body
    body = _shape(img.size, lambda dd: dd.rounded_rectangle(R(4, 20, 60, 48), radius=6 * u, fill=255))
    img = _fill(img, body, _vgrad(img.size, (104, 128, 160, 255), (44, 62, 90, 255)))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle(R(4, 20, 60, 48), radius=6 * u, outline=(30, 42, 62, 255), width=max(1, int(u * 1.2)))
    d.rectangle(R(10, 26, 30, 29), fill=(190, 206, 226, 255))
    d.ellipse(R(50, 25, 54, 29), fill=(90, 220, 120, 255))
    # output slot and sheet
    d.rectangle(R(12, 40, 52, 43), fill=(22, 30, 44, 255))
    d.rectangle(R(14, 42, 50, 60), fill=(255, 255, 255, 255), outline=(150, 156, 166, 255), width=max(1, int(u)))
    if not simple:
        for i, c in enumerate([(0, 160, 228), (228, 16, 132), (255, 214, 0)]):
            d.rectangle(R(18 + i * 6, 47, 22 + i * 6, 51), fill=c + (255,))
    # magnifier with tick
    cx, cy, r = 44 * u, 44 * u, 13 * u
    handle = _rot([(cx + r * 0.7, cy - 2.6 * u), (cx + r + 13 * u, cy - 2.6 * u),
                   (cx + r + 13 * u, cy + 2.6 * u), (cx + r * 0.7, cy + 2.6 * u)], cx, cy, 45)
    d.polygon(handle, fill=(120, 72, 30, 255))
    d.ellipse([cx - r - 2.5 * u, cy - r - 2.5 * u, cx + r + 2.5 * u, cy + r + 2.5 * u], fill=(58, 66, 80, 255))
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(236, 248, 255, 235))
    _thick_polyline(d, [(cx - 6.5 * u, cy + 0.5 * u), (cx - 2 * u, cy + 5 * u), (cx + 7 * u, cy - 5 * u)],
                    max(1, int(4 * u)), (30, 150, 60, 255))
    return img


def service_picture(S):
    """Crossed wrench and screwdriver, each drawn upright and turned by 45 degrees."""
    u = S / 48.0

    def R(*v):
        return [c * u for c in v]

    # screwdriver: tip up
    sd = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    d = ImageDraw.Draw(sd)
    d.rectangle(R(21.8, 3, 26.2, 27), fill=(150, 158, 170, 255), outline=(70, 76, 88, 255))
    d.polygon([tuple(R(21.8, 3.2)), tuple(R(26.2, 3.2)), tuple(R(25.2, 0.6)), tuple(R(22.8, 0.6))], fill=(110, 116, 126, 255))
    grip = _shape(sd.size, lambda dd: dd.rounded_rectangle(R(18, 25, 30, 46.5), radius=4.5 * u, fill=255))
    sd = _fill(sd, grip, Image.composite(Image.new("RGBA", (S, S), (150, 24, 16, 255)),
                                         Image.new("RGBA", (S, S), (246, 100, 60, 255)),
                                         Image.linear_gradient("L").rotate(90).resize((S, S))))
    d = ImageDraw.Draw(sd)
    d.rounded_rectangle(R(18, 25, 30, 46.5), radius=4.5 * u, outline=(110, 18, 10, 255), width=max(1, int(u)))
    for x in (21.5, 24, 26.5):
        d.line([tuple(R(x, 29)), tuple(R(x, 43))], fill=(255, 150, 120, 255), width=max(1, int(0.9 * u)))
    d.rectangle(R(20, 23.5, 28, 26.5), fill=(150, 156, 166, 255), outline=(84, 90, 100, 255))

    # wrench: open jaw up, ring at the foot
    wm = _shape((S, S), lambda dd: (dd.rounded_rectangle(R(20.6, 12, 27.4, 44), radius=3.4 * u, fill=255),
                                    dd.ellipse(R(15, 0, 33, 18), fill=255),
                                    dd.ellipse(R(19, 38, 29, 48), fill=255)))
    wm = ImageChops.subtract(wm, _shape((S, S), lambda dd: (dd.rectangle(R(20.8, -1, 27.2, 8), fill=255),
                                                            dd.ellipse(R(21.8, 40.8, 26.2, 45.2), fill=255))))
    wr = _fill(Image.new("RGBA", (S, S), (0, 0, 0, 0)), wm, (72, 78, 90, 255))
    core = wm.filter(ImageFilter.MinFilter(max(3, (int(1.6 * u) // 2) * 2 + 1)))
    steel = Image.composite(Image.new("RGBA", (S, S), (150, 158, 170, 255)),
                            Image.new("RGBA", (S, S), (236, 240, 245, 255)),
                            Image.linear_gradient("L").rotate(90).resize((S, S)))
    wr = _fill(wr, core, steel)

    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    img = Image.alpha_composite(img, sd.rotate(-45, resample=Image.BICUBIC))
    return Image.alpha_composite(img, wr.rotate(45, resample=Image.BICUBIC))


def warning_picture(S):
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    u = S / 48.0
    tri = [(24 * u, 3 * u), (46 * u, 43 * u), (2 * u, 43 * u)]
    outer = _shape(img.size, lambda d: d.polygon(tri, fill=255)).filter(ImageFilter.MaxFilter(5)) \
        if S >= 96 else _shape(img.size, lambda d: d.polygon(tri, fill=255))
    img = _fill(img, outer, (150, 100, 0, 255))
    inner_tri = [(24 * u, 7 * u), (42.5 * u, 41 * u), (5.5 * u, 41 * u)]
    inner = _shape(img.size, lambda d: d.polygon(inner_tri, fill=255))
    img = _fill(img, inner, _vgrad(img.size, (255, 226, 80, 255), (246, 178, 0, 255)))
    d = ImageDraw.Draw(img)
    d.polygon([(22 * u, 16 * u), (26 * u, 16 * u), (25.2 * u, 31 * u), (22.8 * u, 31 * u)], fill=(30, 30, 30, 255))
    d.ellipse([21.8 * u, 33 * u, 26.2 * u, 37.4 * u], fill=(30, 30, 30, 255))
    return img


def _letter_a(S, colour, dx=0.0, dy=0.0):
    m = Image.new("L", (S, S), 0)
    f = font(S * 0.92, bold=True)
    ImageDraw.Draw(m).text((S / 2 + dx, S * 0.54 + dy), "A", font=f, fill=255, anchor="mm")
    return _fill(Image.new("RGBA", (S, S), (0, 0, 0, 0)), m, colour), m


def clean_picture(S):
    """Letter A crossed by horizontal streaks, as a badly nozzled print looks."""
    img, mask = _letter_a(S, (30, 52, 96, 255))
    d = ImageDraw.Draw(img)
    for y, h in ((0.30, 0.05), (0.47, 0.035), (0.62, 0.06), (0.77, 0.03)):
        d.rectangle([0, S * y, S, S * (y + h)], fill=(0, 0, 0, 0))
    streaks = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    sd = ImageDraw.Draw(streaks)
    for y, h in ((0.30, 0.05), (0.62, 0.06)):
        sd.rectangle([S * 0.04, S * (y + h * 0.3), S * 0.96, S * (y + h * 0.7)], fill=(0, 150, 220, 200))
    return Image.alpha_composite(img, streaks)


def align_picture(S):
    """Letter A printed three times slightly out of register."""
    off = S * 0.05
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    for colour, dx, dy in (((255, 214, 0, 230), off, off), ((228, 16, 132, 200), -off, 0),
                           ((0, 160, 228, 200), 0, -off)):
        layer, _ = _letter_a(int(S), colour, dx, dy)
        img = Image.alpha_composite(img, layer)
    return img


def page_picture(S):
    """A sheet with a folded corner and colour blocks."""
    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    u = S / 32.0
    d = ImageDraw.Draw(img)
    sheet = [(5 * u, 1.5 * u), (21 * u, 1.5 * u), (27 * u, 7.5 * u), (27 * u, 30.5 * u), (5 * u, 30.5 * u)]
    d.polygon(sheet, fill=(255, 255, 255, 255), outline=(110, 118, 130, 255), width=max(1, int(u)))
    d.polygon([(21 * u, 1.5 * u), (21 * u, 7.5 * u), (27 * u, 7.5 * u)], fill=(210, 216, 224, 255),
              outline=(110, 118, 130, 255), width=max(1, int(u)))
    for i, c in enumerate([(0, 160, 228), (228, 16, 132), (255, 214, 0), (38, 36, 38)]):
        x = 8 * u + i * 4.6 * u
        d.rectangle([x, 10 * u, x + 3.6 * u, 16 * u], fill=c + (255,))
    for y in (20, 23.5, 27):
        d.rectangle([8 * u, y * u, 24 * u, (y + 1.4) * u], fill=(150, 158, 170, 255))
    return img


# ---------------------------------------------------------------- .ico writer

def ico_bytes(images):
    """ICO with 32-bit DIB entries (plus AND mask) below 256 px and a PNG entry at 256 px."""
    blobs = []
    for im in images:
        w, h = im.size
        if w >= 256:
            buf = io.BytesIO()
            im.save(buf, "PNG")
            blobs.append(buf.getvalue())
            continue
        r, g, b, a = im.split()
        xor = Image.merge("RGBA", (b, g, r, a)).transpose(Image.FLIP_TOP_BOTTOM).tobytes()
        mask_img = a.point(lambda v: 255 if v == 0 else 0).convert("1").transpose(Image.FLIP_TOP_BOTTOM)
        stride = ((w + 31) // 32) * 4
        raw = mask_img.tobytes()
        rs = (w + 7) // 8
        and_mask = b"".join(raw[y * rs:(y + 1) * rs] + bytes(stride - rs) for y in range(h))
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
        blobs.append(header + xor + and_mask)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for im, blob in zip(images, blobs):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)
