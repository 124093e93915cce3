#!/usr/bin/env python3
"""Writes the gallery's pictures (glyph strips and texture images, as BMP files) and the form
file gallery.dfm that shows every component of the package in typical settings, with those
pictures embedded as bitmap data. Run it again after changing the layout below."""
import struct
from pathlib import Path

HERE = Path(__file__).parent
MAGENTA = (255, 0, 255)  # transparent colour of the glyphs (their bottom-left pixel)


# ---- pictures -----------------------------------------------------------------------------

def bmp_bytes(pixels):
    h, w = len(pixels), len(pixels[0])
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):  # bottom-up rows
        line = bytearray()
        for r, g, b in pixels[y]:
            line += bytes((b, g, r))
        data += line + b"\0" * (row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def blank(w, h, colour=MAGENTA):
    return [[colour for _ in range(w)] for _ in range(h)]


def tick(px, ox, colour):
    for x, y in [(3, 8), (4, 9), (5, 10), (6, 11), (7, 10), (8, 9), (9, 8), (10, 7), (11, 6),
                 (12, 5)]:
        px[y][ox + x] = px[y + 1][ox + x] = colour


def cross(px, ox, colour):
    for i in range(3, 12):
        for x in (i, i + 1, 15 - i, 14 - i):
            if 3 <= x <= 12:
                px[i + 1][ox + x] = colour


STAR = ["       ##       ", "       ##       ", "      ####      ", "      ####      ",
        " ############## ", "  ############  ", "   ##########   ", "    ########    ",
        "    ########    ", "   ####  ####   ", "   ###    ###   ", "  ##        ##  ",
        "  #          #  "]


def star(px, ox, fill, edge):
    for y, line in enumerate(STAR):
        for x, ch in enumerate(line):
            if ch != "#":
                continue
            inside = all(0 <= y + dy < len(STAR) and STAR[y + dy][x + dx] == "#"
                         for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)) if 0 <= x + dx < 16)
            px[y + 1][ox + x] = fill if inside else edge


def glyph_ok():
    px = blank(32, 16)
    tick(px, 0, (0, 128, 0))
    tick(px, 16, (128, 128, 128))
    return px


def glyph_cancel():
    px = blank(16, 16)
    cross(px, 0, (192, 0, 0))
    return px


def glyph_star():
    px = blank(64, 16)
    star(px, 0, (255, 215, 0), (160, 96, 0))
    star(px, 16, (255, 160, 0), (128, 64, 0))
    star(px, 32, (255, 240, 128), (160, 120, 0))
    star(px, 48, (192, 192, 192), (96, 96, 96))
    return px


def bricks():
    mortar, brick, dark = (200, 190, 170), (170, 70, 50), (130, 50, 35)
    px = blank(16, 16, brick)
    for y in range(16):
        for x in range(16):
            if y % 8 == 7 or (x == (0 if y < 8 else 8)):
                px[y][x] = mortar
            elif y % 8 == 6:
                px[y][x] = dark
    return px


def badge():
    # a 40 x 28 picture with a key-coloured (lime) surround for the transparent texture
    px = blank(40, 28, (0, 255, 0))
    for y in range(28):
        for x in range(40):
            dx, dy = (x - 19.5) / 18, (y - 13.5) / 12
            d = dx * dx + dy * dy
            if d <= 1:
                px[y][x] = (30, 60, 150) if d > 0.6 else (250, 250, 210) if d < 0.25 else (70, 120, 210)
    return px


PICTURES = {
    "glyph_ok": glyph_ok, "glyph_cancel": glyph_cancel, "glyph_star": glyph_star,
    "texture_bricks": bricks, "texture_badge": badge,
}


def data_block(bmp, indent):
    # a bitmap's form data: 4-byte length, then the bitmap file, 32 bytes a line
    data = struct.pack("<I", len(bmp)) + bmp
    pad = " " * indent
    lines = [data[i:i + 32].hex().upper() for i in range(0, len(data), 32)]
    return "{\n" + "\n".join(pad + "  " + ln for ln in lines) + "}"


# ---- the form -----------------------------------------------------------------------------

class Form:
    def __init__(self):
        self.out = []

    def obj(self, name, cls, props, indent=2):
        pad = " " * indent
        self.out.append(f"{pad}object {name}: {cls}")
        for k, v in props:
            self.out.append(f"{pad}  {k} = {v}")
        self.out.append(f"{pad}end")


def font(size, colour="clWindowText", bold=True, name="Arial"):
    return [("Font.Color", colour),
            ("Font.Height", str(-round(size * 96 / 72))), ("Font.Name", f"'{name}'"),
            ("Font.Style", "[fsBold]" if bold else "[]")]


def bounds(x, y, w, h):
    return [("Left", x), ("Top", y), ("Width", w), ("Height", h)]


def picture(prop, key, indent=4):
    bmp = bmp_bytes(PICTURES[key]())
    return (prop, data_block(bmp, indent))


GRADIENTS = [
    ("Circle", "clNavy", "clAqua", []),
    ("Horizontal", "clSilver", "clGray", []),
    ("Vertical", "clMaroon", "clYellow", []),
    ("LeftBottom", "clGreen", "clWhite", []),
    ("RoundMiddle", "clNavy", "clWhite", []),
    ("SquareMiddle", "clPurple", "clFuchsia", []),
    ("Spectral", "clBlack", "clLime", []),
    ("DoppelFlash", "clTeal", "clWhite", []),
    ("Singleflash", "clMaroon", "clWhite", []),
    ("MiddleHBar", "clBlue", "clAqua", []),
    ("MiddleVBar", "clOlive", "clYellow", []),
    ("VerticalDoppelBar", "clRed", "clYellow", ["clLime"]),
    ("HorizontalDoppelBar", "clBlue", "clRed", ["clYellow", "clLime"]),
]


def build():
    f = Form()
    f.out += ["object GalleryForm: TForm", "  Left = 0", "  Top = 0",
              "  Caption = 'QEL gallery'", "  ClientHeight = 652", "  ClientWidth = 936",
              "  Color = clBtnFace"]
    f.out += [f"  {k} = {v}" for k, v in font(8, bold=False, name="MS Sans Serif")]
    f.out += ["  PixelsPerInch = 96", "  TextHeight = 13"]

    # backgrounds
    f.obj("bgTitle", "TQELBackground",
          [("Gradient.BeginColor", "clNavy"), ("Gradient.EndColor", "clBtnFace"),
           ("Gradient.FillStyle", "Vertical")])
    f.obj("bgLetters", "TQELBackground",
          [("Gradient.BeginColor", "clYellow"), ("Gradient.EndColor", "clRed"),
           ("Gradient.FillStyle", "Horizontal"), ("Gradient.ColorCount", 16)])
    for style, begin, end, between in GRADIENTS:
        props = [("Gradient.BeginColor", begin), ("Gradient.EndColor", end),
                 ("Gradient.FillStyle", style)]
        if between:
            props.append(("Gradient.ColorsInBetween.Strings",
                          "(\n" + "\n".join(f"      '{c}'" for c in between) + ")"))
        if style == "Spectral":
            props.append(("Gradient.ColorCount", 64))
        f.obj(f"bg{style}", "TQELBackground", props)
    f.obj("bgTile", "TQELBackground",
          [picture("Texture.Image.Data", "texture_bricks"), ("BackgroundStyle", "bTexture")])
    f.obj("bgCenter", "TQELBackground",
          [picture("Texture.Image.Data", "texture_badge"), ("Texture.ImageStyle", "isCenter"),
           ("Texture.TransparentColor", "clLime"), ("Texture.TransparentBackground", "clInfoBk"),
           ("SolidColor", "clInfoBk"), ("BackgroundStyle", "bTexture")])
    f.obj("bgStretch", "TQELBackground",
          [picture("Texture.Image.Data", "texture_badge"), ("Texture.ImageStyle", "isStretched"),
           ("BackgroundStyle", "bTexture")])
    f.obj("bgHatch", "TQELBackground",
          [("BrushFill.BrushStyle", "bsDiagCross"), ("BrushFill.BrushColor", "clBlue"),
           ("BackgroundStyle", "bBrushFillUseCurrent")])
    f.obj("bgHatchSolid", "TQELBackground",
          [("BrushFill.BrushStyle", "bsCross"), ("BrushFill.BrushColor", "clMaroon"),
           ("SolidColor", "$00C0DCC0"), ("BackgroundStyle", "bBrushFillSolidColor")])
    f.obj("bgRainbow", "TQELBackground",
          [("Gradient.BeginColor", "clRed"), ("Gradient.EndColor", "clPurple"),
           ("Gradient.FillStyle", "Vertical"), ("Gradient.ColorCount", 24),
           ("Gradient.ColorsInBetween.Strings",
            "(\n" + "\n".join(f"      '{c}'" for c in
                               ["clYellow", "clLime", "clAqua", "clBlue"]) + ")")])
    f.obj("bgSolid", "TQELBackground", [("SolidColor", "$00F0CAA6"),
                                        ("BackgroundStyle", "bSolidcolor")])
    f.obj("bgButtons", "TQELBackground",
          [("Gradient.BeginColor", "clWhite"), ("Gradient.EndColor", "clSilver"),
           ("Gradient.FillStyle", "Horizontal"), ("Gradient.ColorCount", 16)])

    # title: a gradient behind, another one inside the letters
    f.obj("lbTitle", "TQELLabel",
          bounds(8, 8, 920, 44) + [("Alignment", "taCenter"),
                                   ("Caption", "'QEL components'")]
          + [("FontBackground", "bgLetters")] + font(24, "clBlack")
          + [("Font3D.Highlight", "clWhite"), ("Font3D.Shadow", "clBlack"),
             ("Font3D.Style3D", "fontRaised"), ("Font3D.Offset", 2),
             ("Frame.FrameStyle", "frameLowered"), ("Background", "bgTitle")])

    # the thirteen gradients, five to a row
    def cell(i, row0):
        return 8 + (i % 5) * 184, row0 + (i // 5) * 72

    for i, (style, *_rest) in enumerate(GRADIENTS):
        x, y = cell(i, 60)
        f.obj(f"lb{style}", "TQELLabel",
              bounds(x, y, 176, 64) + [("Alignment", "taCenter"), ("Caption", f"'{style}'")]
              + font(10, "clWhite")
              + [("Font3D.Shadow", "clBlack"), ("Font3D.Style3D", "fontOnlyShadow"),
                 ("Frame.FrameStyle", "frameLowered"), ("Background", f"bg{style}")])
    # textures and brush fills fill the last gradient row and the next one
    fills = [("Tile", "texture, tiled"), ("Center", "texture, centred"),
             ("Stretch", "texture, stretched"), ("Hatch", "brush fill"),
             ("HatchSolid", "brush over colour"), ("Solid", "solid colour"),
             ("Rainbow", "colours in between")]
    for j, (name, text) in enumerate(fills):
        x, y = cell(13 + j, 60)
        f.obj(f"lb{name}", "TQELLabel",
              bounds(x, y, 176, 64) + [("Alignment", "taCenter"), ("Caption", f"'{text}'")]
              + font(10, "clBlack")
              + [("Font3D.Highlight", "clWhite"), ("Font3D.Style3D", "fontOnlyHighlight"),
                 ("Frame.FrameStyle", "frameLowered"), ("Background", f"bg{name}")])

    # 3D text styles
    styles = [("Raised", [("Font3D.Style3D", "fontRaised")]),
              ("Inset", [("Font3D.Style3D", "fontInset")]),
              ("Only shadow", [("Font3D.Style3D", "fontOnlyShadow"), ("Font3D.Offset", 2)]),
              ("Outline", [("Font3D.Style3D", "fontOutLineShadow"),
                           ("Font3D.Shadow", "clNavy")]),
              ("Trail", [("Font3D.Repetition", "repeatOnShadow"),
                         ("Font3D.Repetitionwidth", 4), ("Font3D.RepetitionColor", "clGray"),
                         ("Font3D.Style3D", "fontRaised")]),
              ("Trail up", [("Font3D.Repetition", "repeatOnHighLight"),
                            ("Font3D.Repetitionwidth", 3),
                            ("Font3D.RepetitionColor", "clSilver")]),
              ("Disabled", [("Enabled", "False")]),
              ("Letters", [("FontBackground", "bgSpectral"), ("Font3D.Style3D", "fontRaised")]),
              ("Plain", [("Font3D.ThreeDimensional", "False")]),
              ]
    for k, (text, extra) in enumerate(styles):
        x = 8 + (k % 5) * 184
        y = 348 + (k // 5) * 52
        f.obj(f"lbStyle{k + 1}", "TQELLabel",
              bounds(x, y, 176, 44) + [("Alignment", "taCenter"), ("Caption", f"'{text}'"),
                                       ("Color", "clBtnFace")]
              + font(16, "clTeal") + extra)
    f.obj("lbWrap", "TQELLabel",
          bounds(744, 400, 176, 44) + [("Caption", "'Word wrap keeps long captions inside'"),
                                       ("Color", "clInfoBk"), ("WordWrap", "True"),
                                       ("Frame.FrameStyle", "frameSolid")]
          + font(8, "clBlack"))

    # the nine frame styles
    frames = ["frameSolid", "frameRaised", "frameLowered", "frameNone", "frameFramedUp",
              "frameFramedDown", "framePanelUp", "framePanelDown", "frameLightBordered"]
    for k, fs in enumerate(frames):
        f.obj(f"lbFrame{k + 1}", "TQELLabel",
              bounds(8 + k * 102, 456, 96, 40)
              + [("Alignment", "taCenter"), ("Caption", f"'{fs[5:]}'"), ("Color", "clBtnFace"),
                 ("Frame.FrameStyle", fs), ("Frame.FrameWidth", 2),
                 ("Frame.Solid", "clNavy")] + font(8, "clBlack"))

    # buttons
    f.obj("pnButtons", "TQELLabel",
          bounds(8, 508, 920, 136) + [("Caption", "''"), ("Frame.FrameStyle", "frameFramedDown"),
                                      ("Background", "bgButtons")])
    def glyph(key, n):
        return [picture("Glyph.Bitmap.Data", key), ("Glyph.NumGlyphs", n),
                ("Glyph.TransparentColor", "clFuchsia")]
    buttons = [
        ("btOk", "'&OK'", 24, 524, 120, 34, glyph("glyph_ok", 2)
         + [("Default", "True"), ("ModalResult", 1), ("TabOrder", 0)] + font(9)),
        ("btCancel", "'&Cancel'", 160, 524, 120, 34, glyph("glyph_cancel", 1)
         + [("Cancel", "True"), ("ModalResult", 2), ("TabOrder", 1)] + font(9)),
        ("btStar", "''", 296, 524, 40, 34, glyph("glyph_star", 4) + [("TabOrder", 2)]),
        ("btDisabled", "'Disabled'", 352, 524, 120, 34, glyph("glyph_ok", 2)
         + [("Enabled", "False"), ("TabOrder", 3)] + font(9)),
        ("btRaised", "'3D caption'", 488, 524, 140, 34,
         [("Font3D.Style3D", "fontRaised"), ("Font3D.Highlight", "clWhite"),
          ("Font3D.Shadow", "clGray"), ("TabOrder", 4)] + font(11, "clNavy")),
        ("btWrap", "'A long caption that wraps'", 644, 524, 120, 40,
         [("WordWrap", "True"), ("TabOrder", 5)] + font(8, bold=False)),
        ("btBack", "'&Background'", 780, 524, 130, 34,
         glyph("glyph_star", 4) + [("Background", "bgRoundMiddle"), ("TabOrder", 6)]
         + font(9, "clWhite") + [("Font3D.Shadow", "clBlack"),
                                 ("Font3D.Style3D", "fontOnlyShadow")]),
        ("btPlain", "'Button'", 24, 580, 75, 25, [("TabOrder", 7)]),
        ("btEllipsis", "'Ellipsis cuts a caption that is too long'", 120, 580, 160, 25,
         [("TabOrder", 8)]),
        ("btSpectral", "'Spectral'", 296, 580, 176, 48,
         [("Background", "bgSpectral"), ("TabOrder", 9)] + font(12, "clWhite")
         + [("Font3D.Style3D", "fontOutLineShadow"), ("Font3D.Shadow", "clBlack")]),
    ]
    for name, cap, x, y, w, h, extra in buttons:
        props = [("Left", x), ("Top", y)]
        if w != 75:
            props.append(("Width", w))
        if h != 25:
            props.append(("Height", h))
        f.obj(name, "TQELButton", props + [("Caption", cap)] + extra)
    f.out.append("end")
    return "\r\n".join(f.out) + "\r\n"


def main():
    for key, make in PICTURES.items():
        (HERE / f"{key}.bmp").write_bytes(bmp_bytes(make()))
    (HERE / "gallery.dfm").write_text(build(), newline="")


if __name__ == "__main__":
    main()
