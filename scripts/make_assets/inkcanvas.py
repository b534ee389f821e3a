"""Drawing in ink channels.

A page is drawn once, in design units, into one greyscale coverage image per ink (255 = full ink).
The same drawing then gives both outputs: halftoned 1-bit planes for the printer file, and a
contone composite (ink colours multiplied on paper) for the expected-page picture.
"""
import os

from PIL import Image, ImageChops, ImageDraw, ImageFont

# Colour of each ink printed solid on plain paper (what a scanner sees).
INK_RGB = {
    "K": (38, 36, 38),
    "C": (0, 160, 228),
    "M": (228, 16, 132),
    "Y": (255, 232, 20),
    "Lc": (132, 212, 244),
    "Lm": (246, 156, 204),
}

FONT_DIRS = ["/usr/share/fonts/truetype/dejavu"]
_font_cache = {}
_warned = []


def font(size_px, bold=False):
    size_px = max(1, int(round(size_px)))
    key = (size_px, bold)
    if key in _font_cache:
        return _font_cache[key]
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    f = None
    for d in FONT_DIRS:
        path = os.path.join(d, name)
        if os.path.exists(path):
            # Basic layout: no dependency on the shaping library's version, so output stays byte-stable.
            f = ImageFont.truetype(path, size_px, layout_engine=ImageFont.Layout.BASIC)
            break
    if f is None:
        if not _warned:
            print("warning: DejaVu fonts not found, using PIL's built-in bitmap font")
            _warned.append(1)
        f = ImageFont.load_default()
    _font_cache[key] = f
    return f


class InkCanvas:
    """Channels are drawn with knockout: a shape sets its inks and clears the others beneath it."""

    def __init__(self, design_w, design_h, scale, inks, dot=None):
        self.scale = scale
        # design units per printer dot: fine lines keep their printed width at any scale
        self.dot = dot if dot is not None else 1.0 / scale
        self.inks = list(inks)
        self.size = (int(round(design_w * scale)), int(round(design_h * scale)))
        self.ch = {k: Image.new("L", self.size, 0) for k in self.inks}
        self.dr = {k: ImageDraw.Draw(self.ch[k]) for k in self.inks}

    # coordinates are design units
    def s(self, v):
        return v * self.scale

    def box(self, x0, y0, x1, y1):
        return [int(round(self.s(x0))), int(round(self.s(y0))),
                int(round(self.s(x1))) - 1, int(round(self.s(y1))) - 1]

    def _fills(self, inks, knockout):
        for k in self.inks:
            if k in inks:
                yield k, inks[k]
            elif knockout:
                yield k, 0

    def rect(self, x0, y0, x1, y1, inks, knockout=True):
        b = self.box(x0, y0, x1, y1)
        if b[2] < b[0] or b[3] < b[1]:
            return
        for k, v in self._fills(inks, knockout):
            self.dr[k].rectangle(b, fill=v)

    def line(self, x0, y0, x1, y1, width, inks, knockout=False, dots=None):
        if dots is not None:
            width = dots * self.dot
        w = max(1, int(round(self.s(width))))
        pts = [(self.s(x0), self.s(y0)), (self.s(x1), self.s(y1))]
        for k, v in self._fills(inks, knockout):
            self.dr[k].line(pts, fill=v, width=w)

    def text(self, x, y, s, size, inks=None, bold=False, anchor="la", knockout=False):
        if inks is None:
            inks = {"K": 255}
        f = font(self.s(size), bold)
        kw = {"anchor": anchor} if isinstance(f, ImageFont.FreeTypeFont) else {}
        for k, v in self._fills(inks, knockout):
            self.dr[k].text((self.s(x), self.s(y)), s, font=f, fill=v, **kw)

    def text_width(self, s, size, bold=False):
        f = font(self.s(size), bold)
        return f.getlength(s) / self.scale if hasattr(f, "getlength") else len(s) * 6 / self.scale

    def paste_channels(self, x0, y0, layers):
        """layers: dict ink -> 'L' image already at device pixels; pasted at design position."""
        pos = (int(round(self.s(x0))), int(round(self.s(y0))))
        for k in self.inks:
            img = layers.get(k)
            if img is None:
                w, h = next(iter(layers.values())).size
                img = Image.new("L", (w, h), 0)
            self.ch[k].paste(img, pos)

    # ---------------------------------------------------------- outputs

    def composite(self, paper=(255, 255, 255), channels=None):
        """Multiply each ink's filter onto paper: coverage c gives 1 - c*(1 - ink/255) per RGB primary."""
        channels = channels or self.ch
        out = Image.new("RGB", self.size, paper)
        for k in self.inks:
            cov = channels[k]
            if cov.getbbox() is None:
                continue
            bands = []
            for prim in INK_RGB[k]:
                absorb = 255 - prim
                bands.append(cov.point([255 - (c * absorb + 127) // 255 for c in range(256)]))
            out = ImageChops.multiply(out, Image.merge("RGB", bands))
        return out

    def halftone(self):
        """Error-diffused 1-bit plane per ink (PIL's Floyd-Steinberg); returns dict ink -> '1' image."""
        return {k: self.ch[k].convert("1") for k in self.inks}


def planes_composite(planes, inks, size, paper=(255, 255, 255)):
    """Composite 1-bit planes (dict ink -> '1' image) the same way as InkCanvas.composite."""
    tmp = InkCanvas.__new__(InkCanvas)
    tmp.inks = list(inks)
    tmp.size = size
    return tmp.composite(paper, {k: planes[k].convert("L") for k in inks})
