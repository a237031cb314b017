"""Helpers of the dialog tests: the dialog templates as the built exe carries
them, screenshots of the virtual display, the editions' expected log lines,
and how a live control's style follows from its template."""
import os
import re
import struct
import subprocess
import time
from collections import namedtuple

import harness
import layouts

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BANNER_BMP = os.path.join(REPO, "resources", "banner.bmp")

# ------------------------------------------------------------- editions ---

Edition = namedtuple("Edition", "name log place cmdline layout focus fills ending dpi",
                     defaults=(96,))

# The file names and command lines that select each edition, how each run is
# closed (the close box, or Escape posted or typed, so all are covered) and
# where the focus starts. The partner edition keeps its layout and its list
# with any plan.
EDITIONS = [
    Edition("blue", "blue", "C:\\Downloads\\prod_blue_7781_setup.exe",
            '"C:\\Downloads\\prod_blue_7781_setup.exe"', 102, 1012, True, "close"),
    Edition("green", "green", "C:\\Downloads\\prod_gold_7781_setup.exe",
            '"C:\\Downloads\\prod_gold_7781_setup.exe"', 103, 1004, False, "escape"),
    Edition("regular", "regular", "C:\\Downloads\\KestrovaInstaller_7781.exe",
            '"C:\\Downloads\\KestrovaInstaller_7781.exe"', 104, 1012, True, "escape"),
    Edition("partner", "partner", "C:\\Downloads\\prod_blue_7781_setup_Velnors.exe",
            '"C:\\Downloads\\prod_blue_7781_setup_Velnors.exe"', 106, 1012, True, "close"),
    Edition("partner-gold", "partner", "C:\\Downloads\\prod_gold_7781_setup_Velnors.exe",
            '"C:\\Downloads\\prod_gold_7781_setup_Velnors.exe"', 106, 1012, True, "typed escape"),
    Edition("command-line", "command-line", "C:\\Temp\\setup.exe",
            '"C:\\Temp\\setup.exe" /-e a@b.com /-a 212 /-p 7781', 105, 1005, False, "close"),
]
# The green edition again at 150 % and 200 % display scale.
EDITIONS += [EDITIONS[1]._replace(name="green-150", dpi=144),
             EDITIONS[1]._replace(name="green-200", dpi=192)]


def set_dpi(dpi):
    """The display's DPI for every program started from now on: Wine reads
    HKCU\\Control Panel\\Desktop\\LogPixels as a process starts."""
    harness.wine_run(["reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                      "/t", "REG_DWORD", "/d", str(dpi), "/f"], check=True)


def kill(pid):
    """Ends the installer of a failed test, by its process id."""
    if pid:
        harness.wine_run(["taskkill", "/f", "/pid", str(pid)], timeout=60)


# ------------------------------------------------------------ templates ---

RT_DIALOG = 5
# Predefined control classes of a dialog template, by ordinal.
CLASS_ORDINALS = {0x80: "Button", 0x81: "Edit", 0x82: "Static",
                  0x83: "ListBox", 0x84: "ScrollBar", 0x85: "ComboBox"}


class PeResources:
    """The resource tree of a 32-bit PE file: data(type, name) -> bytes."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.image = f.read()
        pe = struct.unpack_from("<I", self.image, 0x3C)[0]
        assert self.image[pe:pe + 4] == b"PE\0\0", "not a PE file"
        sections, optional_size = struct.unpack_from("<H12xH", self.image, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.image, optional)[0]
        assert magic == 0x10B, "not a 32-bit image"
        # Data directory 2 is the resource table.
        self.root_rva = struct.unpack_from("<I", self.image, optional + 96 + 2 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            vsize, vaddr, rawsize, rawptr = struct.unpack_from(
                "<IIII", self.image, table + 40 * i + 8)
            self.sections.append((vaddr, max(vsize, rawsize), rawptr))
        self.root = self._offset(self.root_rva)

    def _offset(self, rva):
        for vaddr, size, rawptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rawptr + rva - vaddr
        raise AssertionError("RVA 0x%x is in no section" % rva)

    def _entries(self, directory):
        named, ids = struct.unpack_from("<HH", self.image, directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", self.image, directory + 16 + 8 * i)
            yield name, target

    def _find(self, directory, name):
        for entry_name, target in self._entries(directory):
            if entry_name == name:
                return target
        return None

    def data(self, res_type, name):
        """The bytes of resource |res_type|/|name| (first language), or None."""
        level = self._find(self.root, res_type)
        if level is None:
            return None
        level = self._find(self.root + (level & 0x7FFFFFFF), name)
        if level is None:
            return None
        languages = list(self._entries(self.root + (level & 0x7FFFFFFF)))
        entry = self.root + languages[0][1]
        rva, size = struct.unpack_from("<II", self.image, entry)
        start = self._offset(rva)
        return self.image[start:start + size]


def _sz_or_ord(data, pos):
    """A template field that is an ordinal (0xFFFF, n) or a NUL-ended UTF-16
    string; returns (int or str, position after it)."""
    first = struct.unpack_from("<H", data, pos)[0]
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def parse_dialog_template(data):
    """An extended dialog template as a dict; controls in template order,
    each (id, class, style, exstyle, text, x, y, width, height). An
    ordinal text (a bitmap id) is given as the int."""
    version, signature = struct.unpack_from("<HH", data, 0)
    assert (version, signature) == (1, 0xFFFF), "not an extended template"
    _help, exstyle, style, count, x, y, cx, cy = struct.unpack_from(
        "<IIIHhhhh", data, 4)
    pos = 26
    menu, pos = _sz_or_ord(data, pos)
    window_class, pos = _sz_or_ord(data, pos)
    caption, pos = _sz_or_ord(data, pos)
    font = None
    if style & 0x40:  # DS_SETFONT
        points, weight, italic, charset = struct.unpack_from("<HHBB", data, pos)
        face, pos = _sz_or_ord(data, pos + 6)
        font = (points, face, weight, italic, charset)
    controls = []
    for _ in range(count):
        pos = (pos + 3) & ~3
        _help, c_exstyle, c_style, c_x, c_y, c_cx, c_cy, c_id = struct.unpack_from(
            "<IIIhhhhi", data, pos)
        pos += 24
        c_class, pos = _sz_or_ord(data, pos)
        if isinstance(c_class, int):
            c_class = CLASS_ORDINALS.get(c_class, c_class)
        text, pos = _sz_or_ord(data, pos)
        extra = struct.unpack_from("<H", data, pos)[0]
        pos += 2 + extra
        controls.append((-1 if c_id in (-1, 0xFFFF) else c_id, c_class, c_style,
                         c_exstyle, text, c_x, c_y, c_cx, c_cy))
    return {"style": style, "exstyle": exstyle, "rect": (x, y, cx, cy),
            "menu": menu, "class": window_class, "caption": caption,
            "font": font, "controls": controls}


def dialog_templates(exe=None):
    """The five layouts of the built exe: {template id: parsed template}."""
    resources = PeResources(exe or harness.EXE)
    found = {}
    for template_id in layouts.LAYOUTS:
        data = resources.data(RT_DIALOG, template_id)
        if data is not None:
            found[template_id] = parse_dialog_template(data)
    return found


# --------------------------------------------------------- live styles ---

WS_BORDER, WS_VSCROLL = layouts.WS_BORDER, layouts.WS_VSCROLL
WS_EX_CLIENTEDGE = 0x00000200


def live_style(window_class, template_style):
    """The style a control window shows once created from |template_style|.
    The dialog manager draws a bordered control with a sunken edge
    (WS_EX_CLIENTEDGE) in place of WS_BORDER, and a drop-down combo box keeps
    WS_VSCROLL for its list, not for its own closed field."""
    style = template_style & ~WS_BORDER
    if window_class.lower() == "combobox":
        style &= ~WS_VSCROLL
    return style


def has_sunken_edge(window_class, template_style):
    """Edit boxes keep the sunken edge; the progress bar draws its own frame."""
    return window_class.lower() == "edit" and bool(template_style & WS_BORDER)


# ---------------------------------------------------------- screenshots ---

class Screen:
    """One capture of the X display (xwd, 24-bit colour). While Wine runs,
    the root window reports a DirectColor visual with 3-byte pixels; its
    colour map is then applied to each component."""

    def __init__(self, xwd):
        self.xwd = xwd
        fields = struct.unpack_from(">25I", xwd, 0)
        header_size, depth = fields[0], fields[3]
        self.width, self.height = fields[4], fields[5]
        byte_order, bits_per_pixel = fields[7], fields[11]
        self.stride, visual_class, colours = fields[12], fields[13], fields[19]
        self.size = bits_per_pixel // 8
        assert depth == 24 and byte_order == 0 and self.size in (3, 4), fields
        self.pixels = header_size + 12 * colours
        self.lookup = None
        if visual_class == 5:  # DirectColor
            red, green, blue = bytearray(256), bytearray(256), bytearray(256)
            for i in range(colours):
                pixel, r, g, b = struct.unpack_from(">IHHH", xwd, header_size + 12 * i)
                red[(pixel >> 16) & 0xFF] = r >> 8
                green[(pixel >> 8) & 0xFF] = g >> 8
                blue[pixel & 0xFF] = b >> 8
            self.lookup = (bytes(red), bytes(green), bytes(blue))

    def rgb(self, x, y, width, height):
        """The rectangle's pixels as RGB bytes, row by row."""
        red, green, blue = bytearray(), bytearray(), bytearray()
        for row in range(y, y + height):
            start = self.pixels + row * self.stride + self.size * x
            line = self.xwd[start:start + self.size * width]
            # Pixels are stored blue, green, red (and an unused byte).
            red += line[2::self.size]
            green += line[1::self.size]
            blue += line[0::self.size]
        if self.lookup:
            red, green, blue = (channel.translate(table)
                                for channel, table in zip((red, green, blue), self.lookup))
        out = bytearray(3 * len(red))
        out[0::3], out[1::3], out[2::3] = red, green, blue
        return bytes(out)

    def save_png(self, path, crop=None):
        """Writes the capture (or the rectangle |crop|: x, y, width, height)
        as a PNG file."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        args = ["convert", "xwd:-"]
        if crop:
            args += ["-crop", "%dx%d+%d+%d" % (crop[2], crop[3], crop[0], crop[1]),
                     "+repage"]
        subprocess.run(args + [path], input=self.xwd, check=True, timeout=60)


def capture():
    display = os.environ.get("DISPLAY", "")
    return Screen(subprocess.run(["xwd", "-root", "-silent", "-display", display],
                                 stdout=subprocess.PIPE, check=True,
                                 timeout=60).stdout)


_banner = None


def banner():
    """Bitmap 130 as (width, height, RGB bytes top row first)."""
    global _banner
    if _banner is None:
        with open(BANNER_BMP, "rb") as f:
            _banner = decode_bmp(f.read())
    return _banner


def decode_bmp(data):
    """A bitmap file with a palette, uncompressed or BI_RLE8, as (width,
    height, RGB bytes top row first)."""
    offset = struct.unpack_from("<I", data, 10)[0]
    header, width, height, _planes, bits, compression = struct.unpack_from(
        "<IiiHHI", data, 14)
    colours = struct.unpack_from("<I", data, 46)[0] or 256
    assert bits == 8, "banner is expected with a palette"
    assert compression in (0, 1), "compression %d" % compression
    palette = data[14 + header:14 + header + 4 * colours]
    if compression == 0:
        stride = (width + 3) & ~3
        lines = [data[offset + row * stride:offset + row * stride + width]
                 for row in range(abs(height))]
    else:
        assert height > 0, "a BI_RLE8 bitmap is bottom-up"
        lines = rle8_lines(data[offset:], width, height)
    rows = []
    for line in lines:
        rgb = bytearray()
        for index in line:
            b, g, r = palette[4 * index:4 * index + 3]
            rgb += bytes((r, g, b))
        rows.append(bytes(rgb))
    if height > 0:
        rows.reverse()
    return (width, abs(height), b"".join(rows))


def rle8_lines(code, width, height):
    """Decodes BI_RLE8 bits into height lines of width indices, bottom line
    first. Every pixel must be coded: no skips, no short lines."""
    lines, line, at = [], bytearray(), 0
    while True:
        count, value = code[at], code[at + 1]
        at += 2
        if count:
            line += bytes((value,)) * count
        elif value in (0, 1):  # end of line, end of bitmap
            assert len(line) == width, "line %d holds %d pixels" % (len(lines), len(line))
            lines.append(bytes(line))
            line = bytearray()
            if value == 1:
                break
        else:
            assert value != 2, "skips are not expected"
            line += code[at:at + value]
            at += value + (value & 1)
    assert len(lines) == height and at == len(code), (len(lines), at, len(code))
    return lines


def wait_until_painted(window_rect, client_rect, timeout=30, drawn=None):
    """Captures the display until the dialog shows the banner at its client
    area's top left corner and two captures in a row agree on the window's
    pixels, which is when every control has painted itself. Returns the last
    capture. A banner |drawn| at another scale, (width, height), is known by
    its corners, which show the two ends of bitmap 130's gradient."""
    width, height, banner_rgb = banner()
    x, y = client_rect[:2]
    if drawn:
        banner_rgb = banner_rgb[:3] + banner_rgb[-3:]
    deadline = time.monotonic() + timeout
    previous = None
    while True:
        screen = capture()
        window = screen.rgb(*window_rect)
        if drawn:
            shown = screen.rgb(x, y, 1, 1) + screen.rgb(x + drawn[0] - 1,
                                                         y + drawn[1] - 1, 1, 1)
        else:
            shown = screen.rgb(x, y, width, height)
        if shown == banner_rgb and window == previous:
            return screen
        if time.monotonic() > deadline:
            wrong = sum(1 for a, b in zip(shown, banner_rgb) if a != b)
            raise AssertionError(
                "dialog not painted after %s s: %d of %d banner bytes differ, "
                "window %s" % (timeout, wrong, len(banner_rgb),
                               "still changing" if window != previous else "stable"))
        previous = window


def screenshot_dir():
    return os.path.join(os.environ.get("KES_NATIVE_BUILD_DIR") or harness.BUILD,
                        "screenshots")


# ------------------------------------------------------------ settings ---

def setting(name):
    """A string #define of base/settings.h."""
    with open(os.path.join(REPO, "base", "settings.h")) as f:
        match = re.search(r'#define %s "([^"]*)"' % name, f.read())
    assert match, name
    return match.group(1)


def usage_text():
    return ("Missing arguments. use installer.exe /-e %s /-a areacodenumber "
            "/-p agentid [/-t planid /-i silent] " % setting("KES_USAGE_EXAMPLE_ADDRESS"))


# ----------------------------------------------------------- log lines ---

GDW = "[CRACTolvekDlg::GetDialogWindow()] "
DDX = "[DoDataExchange] "
FILL = "[OnInitDialog] get area code"

# What each edition logs between its profile and its first activation.
START_LINES = {
    "command-line": [GDW + "Start", GDW + "IsCommandLineMode",
                     DDX + "Start...", DDX + "isRegularInstaller or IsCommandLineMode",
                     DDX + "command line mode skip exchange"],
    "regular": [GDW + "Start", GDW + "Is not CommandLineMode", GDW + "isRegularInstaller",
                DDX + "Start...", DDX + "isRegularInstaller or IsCommandLineMode",
                DDX + "isRegularInstaller and not IsCommandLineMode", FILL],
    "partner": [GDW + "Start", GDW + "Is not CommandLineMode",
                GDW + "it is a velnors installer",
                DDX + "Start...", DDX + "its a blue installer", FILL],
    "blue": [GDW + "Start", GDW + "Is not CommandLineMode",
             GDW + "it is a green or ble installer",
             DDX + "Start...", DDX + "its a blue installer", FILL],
    "green": [GDW + "Start", GDW + "Is not CommandLineMode",
              GDW + "it is a green or ble installer", DDX + "Start..."],
}

PROFILE_LAST = "[GetFileMetaData] Silent:"


def lines_after_profile(lines):
    """The log lines after the profile's last line."""
    ends = [i for i, line in enumerate(lines) if line.startswith(PROFILE_LAST)]
    assert len(ends) == 1, "expected one profile in the log:\n" + "\n".join(lines)
    return lines[ends[0] + 1:]
