"""PCL raster writer and reader for the low-level test pages.

Three dialects, all with TIFF PackBits (compression mode 2):
  * planes_crd    - PCL 3 enhanced: Configure Raster Data (ESC*g#W), 1 bit per ink plane, 4 or 6 inks
  * planes_simple - PCL 3 simple colour: ESC*r-4U, planes K, C, M, Y
  * indexed_cid   - PCL 5 colour: Configure Image Data (ESC*v6W), 8-bit palette index per pixel
The reader understands exactly what the writer emits (plus the usual no-op forms) so that
make_assets.py --check can turn a file back into a raster.
"""

ESC = b"\x1b"


def packbits(data: bytes) -> bytes:
    """TIFF PackBits: repeats of 2..128 as (1-n, byte), literals of 1..128 as (n-1, bytes)."""
    out = bytearray()
    n = len(data)
    i = 0
    lit_start = 0

    def flush_literal(end):
        s = lit_start
        while s < end:
            chunk = data[s:min(end, s + 128)]
            out.append(len(chunk) - 1)
            out.extend(chunk)
            s += len(chunk)

    while i < n:
        j = i + 1
        while j < n and data[j] == data[i] and j - i < 128:
            j += 1
        run = j - i
        # A run of 2 inside a literal costs as much as keeping it literal.
        if run >= 3 or (run == 2 and i == lit_start):
            flush_literal(i)
            out.append((257 - run) & 0xFF)
            out.append(data[i])
            i = j
            lit_start = i
        else:
            i = j
    flush_literal(n)
    return bytes(out)


def unpackbits(data: bytes, limit: int | None = None) -> bytes:
    out = bytearray()
    i = 0
    n = len(data)
    while i < n:
        h = data[i]
        i += 1
        if h < 128:
            cnt = h + 1
            if i + cnt > n:
                raise ValueError("packbits literal runs past end of row")
            out.extend(data[i:i + cnt])
            i += cnt
        elif h > 128:
            if i >= n:
                raise ValueError("packbits repeat without byte")
            out.extend(bytes([data[i]]) * (257 - h))
            i += 1
        # 128 is a no-op
        if limit is not None and len(out) > limit:
            raise ValueError("packbits row longer than raster width")
    return bytes(out)


def _cmd(group: bytes, value, letter: bytes) -> bytes:
    return ESC + group + str(value).encode("ascii") + letter


def _job_header(paper=2) -> bytes:
    return (ESC + b"E"
            + _cmd(b"&l", paper, b"A")      # letter
            + _cmd(b"&l", 0, b"O")          # portrait
            + _cmd(b"&l", 0, b"L")          # perforation skip off
            + _cmd(b"&l", 0, b"E")          # top margin 0 lines
            + _cmd(b"&l", 0, b"M")          # plain paper
            + _cmd(b"*o", 0, b"M")          # normal print quality
            + _cmd(b"&u", 300, b"D"))       # cursor units 1/300 inch


def _position(x300, y300) -> bytes:
    return ESC + b"*p" + str(x300).encode() + b"x" + str(y300).encode() + b"Y"


def _trim(row: bytes, zero=0) -> bytes:
    end = len(row)
    while end and row[end - 1] == zero:
        end -= 1
    return row[:end]


def _raster_rows(rows_per_plane, height):
    """Row transfers: ESC*b#V for all planes but the last, ESC*b#W for the last; blank rows skipped with ESC*b#Y."""
    out = bytearray()
    pending_blank = 0
    nplanes = len(rows_per_plane)
    for y in range(height):
        trimmed = [_trim(p[y]) for p in rows_per_plane]
        if not any(trimmed):
            pending_blank += 1
            continue
        if pending_blank:
            out += _cmd(b"*b", pending_blank, b"Y")
            pending_blank = 0
        for k, t in enumerate(trimmed):
            data = packbits(t)
            out += _cmd(b"*b", len(data), b"W" if k == nplanes - 1 else b"V") + data
    if pending_blank:
        out += _cmd(b"*b", pending_blank, b"Y")
    return bytes(out)


def _split_rows(packed: bytes, width: int, height: int):
    stride = (width + 7) // 8
    return [packed[y * stride:(y + 1) * stride] for y in range(height)]


def write_planes_crd(planes, width, height, dpi, left_in=0.5, top_in=0.5):
    """planes: list of 1-bit packed rasters (PIL '1' tobytes), order K C M Y [Lc Lm]."""
    n = len(planes)
    crd = bytearray([2, n])
    for _ in range(n):
        crd += dpi.to_bytes(2, "big") + dpi.to_bytes(2, "big") + (2).to_bytes(2, "big")
    out = bytearray(_job_header())
    out += _cmd(b"*g", len(crd), b"W") + crd
    out += _cmd(b"*r", width, b"S") + _cmd(b"*r", height, b"T")
    out += _position(round(left_in * 300), round(top_in * 300))
    out += ESC + b"*r1A" + ESC + b"*b2M"
    out += _raster_rows([_split_rows(p, width, height) for p in planes], height)
    out += ESC + b"*rC" + b"\x0c" + ESC + b"E"
    return bytes(out)


def write_planes_simple(planes, width, height, dpi, left_in=0.5, top_in=0.5):
    """Four planes K C M Y with simple colour -4 (KCMY)."""
    if len(planes) != 4:
        raise ValueError("simple colour KCMY needs four planes")
    out = bytearray(_job_header())
    out += _cmd(b"*t", dpi, b"R") + _cmd(b"*r", -4, b"U")
    out += _cmd(b"*r", width, b"S") + _cmd(b"*r", height, b"T")
    out += _position(round(left_in * 300), round(top_in * 300))
    out += ESC + b"*r1A" + ESC + b"*b2M"
    out += _raster_rows([_split_rows(p, width, height) for p in planes], height)
    out += ESC + b"*rC" + b"\x0c" + ESC + b"E"
    return bytes(out)


def write_indexed_cid(indices: bytes, palette, width, height, dpi, left_in=0.5, top_in=0.5):
    """indices: one byte per pixel; palette: list of (r, g, b), index 0 must be white (the fill for trimmed rows)."""
    if palette[0] != (255, 255, 255):
        raise ValueError("palette index 0 must be white")
    out = bytearray(_job_header())
    out += ESC + b"*v6W" + bytes([0, 1, 8, 8, 8, 8])   # device RGB, indexed by pixel, 8-bit index
    for i, (r, g, b) in enumerate(palette):
        out += ESC + b"*v" + b"%da%db%dc%dI" % (r, g, b, i)
    out += _cmd(b"*t", dpi, b"R")
    out += _cmd(b"*r", width, b"S") + _cmd(b"*r", height, b"T")
    out += _position(round(left_in * 300), round(top_in * 300))
    out += ESC + b"*r1A" + ESC + b"*b2M"
    rows = [indices[y * width:(y + 1) * width] for y in range(height)]
    out += _raster_rows([rows], height)
    out += ESC + b"*rC" + b"\x0c" + ESC + b"E"
    return bytes(out)


# ---------------------------------------------------------------- reader

class PclError(ValueError):
    pass


def _parse_commands(buf: bytes):
    """Yield (name, value, data) for every escape sequence; name like b'*rS', b'E'; data for binary commands.
    Text bytes outside escapes are yielded as (b'text', None, bytes)."""
    i = 0
    n = len(buf)
    while i < n:
        c = buf[i]
        if c != 0x1B:
            j = buf.find(ESC, i)
            j = n if j < 0 else j
            yield b"text", None, buf[i:j]
            i = j
            continue
        if i + 1 >= n:
            raise PclError("escape at end of file")
        p = buf[i + 1]
        if p == ord("%"):                      # ESC%-12345X and ESC%#A/B
            j = i + 2
            while j < n and not (0x40 <= buf[j] <= 0x5E):
                j += 1
            yield b"%" + buf[j:j + 1], buf[i + 2:j].decode("ascii"), b""
            i = j + 1
            continue
        if not (0x21 <= p <= 0x2F):            # two-character escape like ESC E
            yield bytes([p]), None, b""
            i += 2
            continue
        if i + 2 >= n:
            raise PclError("truncated escape")
        group = buf[i + 1:i + 3]
        j = i + 3
        while True:
            k = j
            while k < n and buf[k] in b"+-.0123456789":
                k += 1
            if k >= n:
                raise PclError("escape sequence without terminator")
            text = buf[j:k].decode("ascii")
            try:
                value = float(text) if "." in text else int(text or "0")
            except ValueError:
                raise PclError("bad parameter %r" % text)
            letter = buf[k]
            final = 0x40 <= letter <= 0x5E
            name = group + bytes([letter]).upper()
            j = k + 1
            data = b""
            if name in (b"*bW", b"*bV", b"*gW", b"*vW"):
                if value < 0 or j + value > n:
                    raise PclError("binary data runs past end of file")
                data = buf[j:j + value]
                j += value
            yield name, value, data
            if final:
                break
            if not (0x60 <= letter <= 0x7E):
                raise PclError("bad parameter character %r" % bytes([letter]))
        i = j


def read_raster(buf: bytes):
    """Decode one page. Returns dict with kind ('planes' or 'indexed'), width, height, dpi,
    planes (list of packed 1-bit rasters) or indices + palette, and the page count seen."""
    width = None
    height_decl = None
    dpi = None
    ncomp = None
    kind = None
    palette = {}
    compression = 0
    in_raster = False
    rows = None          # list per plane of row bytes
    cur = []             # planes of the row being transferred
    pages = 0
    components_info = None

    def row_bytes():
        return (width + 7) // 8 if kind == "planes" else width

    def finish_row():
        nonlocal cur
        if len(cur) != ncomp:
            raise PclError("row with %d planes, expected %d" % (len(cur), ncomp))
        for k in range(ncomp):
            rows[k].append(cur[k])
        cur = []

    def blank_rows(count):
        for _ in range(count):
            for k in range(ncomp):
                rows[k].append(b"")

    for name, value, data in _parse_commands(buf):
        if name == b"*gW":
            if len(data) < 2 or data[0] != 2:
                raise PclError("unsupported configure raster data")
            ncomp = data[1]
            if len(data) != 2 + 6 * ncomp:
                raise PclError("configure raster data length")
            components_info = [(int.from_bytes(data[2 + 6 * k:4 + 6 * k], "big"),
                                int.from_bytes(data[4 + 6 * k:6 + 6 * k], "big"),
                                int.from_bytes(data[6 + 6 * k:8 + 6 * k], "big")) for k in range(ncomp)]
            if any(lv != 2 for _, _, lv in components_info):
                raise PclError("only two intensity levels supported")
            dpi = components_info[0][0]
            kind = "planes"
        elif name == b"*rU":
            if value != -4:
                raise PclError("only simple colour -4 (KCMY) supported")
            ncomp = 4
            kind = "planes"
        elif name == b"*vW":
            if len(data) != 6 or data[1] != 1 or data[2] != 8:
                raise PclError("only 8-bit indexed-by-pixel CID supported")
            ncomp = 1
            kind = "indexed"
        elif name == b"*vA":
            palette["a"] = value
        elif name == b"*vB":
            palette["b"] = value
        elif name == b"*vC":
            palette["c"] = value
        elif name == b"*vI":
            palette[int(value)] = (palette.get("a", 0), palette.get("b", 0), palette.get("c", 0))
        elif name == b"*tR":
            dpi = int(value)
        elif name == b"*rS":
            width = int(value)
        elif name == b"*rT":
            height_decl = int(value)
        elif name == b"*rA":
            if width is None or kind is None:
                raise PclError("raster started before width and colour set-up")
            in_raster = True
            rows = [[] for _ in range(ncomp)]
        elif name == b"*bM":
            compression = int(value)
            if compression not in (0, 2):
                raise PclError("compression mode %d not supported" % compression)
        elif name in (b"*bV", b"*bW"):
            if not in_raster:
                raise PclError("raster data outside raster graphics")
            limit = row_bytes()
            plane = unpackbits(data, limit) if compression == 2 else bytes(data)
            if len(plane) > limit:
                raise PclError("row longer than raster width")
            cur.append(plane)
            if name == b"*bW":
                finish_row()
        elif name == b"*bY":
            if not in_raster:
                raise PclError("Y offset outside raster graphics")
            if cur:
                raise PclError("Y offset inside a row")
            blank_rows(int(value))
        elif name in (b"*rC", b"*rB"):
            in_raster = False
        elif name == b"text":
            if data.strip(b"\x0c\r\n"):
                raise PclError("stray text in raster job")
            pages += data.count(b"\x0c")
    if rows is None:
        raise PclError("no raster in file")
    height = len(rows[0])
    if height_decl is not None and height != height_decl:
        raise PclError("raster has %d rows, header declared %d" % (height, height_decl))
    rb = row_bytes()
    fill = [[r + bytes(rb - len(r)) for r in plane] for plane in rows]
    result = {"kind": kind, "width": width, "height": height, "dpi": dpi, "pages": pages}
    if kind == "planes":
        result["planes"] = [b"".join(p) for p in fill]
    else:
        result["indices"] = b"".join(fill[0])
        n = max((k for k in palette if isinstance(k, int)), default=-1) + 1
        result["palette"] = [palette.get(k, (0, 0, 0)) for k in range(n)]
    return result
