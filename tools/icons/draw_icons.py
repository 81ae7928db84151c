#!/usr/bin/env python3
"""Writes Dravik's icons, tree images and drag cursors as SVG files.

Every picture is drawn on a 16 by 16 pixel grid (the cursors on 32 by 32):
filled shapes start and end on whole pixels and one-pixel outlines sit on
half pixels, so the pictures are crisp at 16 px and double cleanly on a
high-DPI screen. Lettering is drawn as pixel paths, not as text, so it does
not depend on the fonts of the machine. QtSvg draws SVG Tiny: only shapes
and presentation attributes are used.

Usage: tools/icons/draw_icons.py [OUTPUT_DIR]   (default: res/icons)
"""

import os
import sys

# The palette: dark slate outlines, paper, a calculator's LCD and keys, and
# one accent colour with a pale tint per kind of calculator object.
INK = "#26313b"
SLATE = "#4f5b68"
STEEL = "#8c97a3"
MIST = "#d5dbe1"
PAPER = "#ffffff"
LCD = "#b9c7a2"
LCD_LIT = "#d4e6a8"
LCD_INK = "#2c3a22"
CALC = "#515c69"
KEY = "#a3aebb"
SHIFT_LEFT = "#a57ae0"
SHIFT_RIGHT = "#3fb889"
FOLDER = "#f0b93a"
FOLDER_BACK = "#d99a1e"
FOLDER_SHINE = "#f8d774"
FOLDER_PALE = "#efdcae"
FOLDER_PALE_BACK = "#d6bd86"
FOLDER_PALE_SHINE = "#f7ebcd"
BLUE = "#1f5fb4"
GREEN = "#2b8a38"
RED = "#c7372d"
YELLOW = "#f3c623"
SKY = "#8ec5f0"
SKY_LIGHT = "#b9dcf6"

ACCENT = {  # kind: (glyph, card tint)
    "real": ("#1f5fb4", "#dce8f8"),
    "complex": ("#0b7f7c", "#d2efed"),
    "string": ("#2b8a38", "#dcf1dd"),
    "list": ("#c25e0c", "#fbe4cd"),
    "program": ("#6e43b6", "#e8dff7"),
    "algebraic": ("#c0322a", "#f8dad7"),
    "binary": ("#86500f", "#f3e3c9"),
    "global": ("#a8327f", "#f6dbee"),
    "other": ("#4f5b68", "#e4e8ec"),
}


# ---------------------------------------------------------------- helpers

def fmt(v):
    """A coordinate without needless decimals."""
    return ("%.2f" % v).rstrip("0").rstrip(".")


def rect(x, y, w, h, fill):
    """Fills the pixels x..x+w-1, y..y+h-1."""
    return '<rect x="%s" y="%s" width="%s" height="%s" fill="%s"/>' % (
        fmt(x), fmt(y), fmt(w), fmt(h), fill)


def box(x, y, w, h, fill, stroke=INK, rx=0):
    """The pixels x..x+w-1, y..y+h-1, with a one-pixel outline inside them."""
    r = ' rx="%s"' % fmt(rx) if rx else ""
    return ('<rect x="%s" y="%s" width="%s" height="%s"%s fill="%s" '
            'stroke="%s"/>' % (fmt(x + 0.5), fmt(y + 0.5), fmt(w - 1),
                               fmt(h - 1), r, fill, stroke))


def path(d, fill="none", stroke=None, width=1, extra=""):
    s = '<path d="%s" fill="%s"' % (d, fill)
    if stroke:
        s += ' stroke="%s" stroke-width="%s"' % (stroke, fmt(width))
    return s + extra + "/>"


def pixels(art, colours, ox=0, oy=0):
    """Pixel art: one string per row, each character a key of `colours`
    ('.' is transparent). One path per colour, made of horizontal runs, so
    neighbouring pixels leave no seam when the picture is scaled."""
    runs = {}
    for row, line in enumerate(art):
        col = 0
        while col < len(line):
            ch = line[col]
            if ch == ".":
                col += 1
                continue
            start = col
            while col < len(line) and line[col] == ch:
                col += 1
            runs.setdefault(ch, []).append("M%d %dh%dv1h-%dz" % (
                ox + start, oy + row, col - start, col - start))
    return "".join('<path fill="%s" d="%s"/>' % (colours[ch], "".join(runs[ch]))
                   for ch in sorted(runs))


def mono(art, colour, ox=0, oy=0):
    """One-colour pixel art: any character but '.' is ink."""
    art = ["".join("." if c == "." else "X" for c in line) for line in art]
    return pixels(art, {"X": colour}, ox, oy)


def svg(body, size=16):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">\n<!-- Written by tools/icons/draw_icons.py; '
            'change the drawing there. -->\n%s</svg>\n' % (size, size, size,
                                                           size, body))


# --------------------------------------------------- shared little pictures

def card(kind):
    """An object's card: a tinted rounded tag with a slate outline."""
    return box(1, 1, 14, 14, ACCENT[kind][1], rx=1.5)


def glyph_card(kind, art, ox, oy):
    return card(kind) + mono(art, ACCENT[kind][0], ox, oy)


def folder(oy=0, pale=False):
    """A closed folder 16 wide, rows oy+2..oy+14."""
    back, front, shine = ((FOLDER_PALE_BACK, FOLDER_PALE, FOLDER_PALE_SHINE)
                          if pale else (FOLDER_BACK, FOLDER, FOLDER_SHINE))
    return (path("M0.5 %sh5l1 2h8.5v9h-14.5z" % fmt(oy + 2.5), fill=back,
                 stroke=INK)
            + box(0, oy + 5, 16, 10, front)
            + rect(1, oy + 6, 14, 1, shine))


def open_folder():
    """An open folder: the back with its tab, the front tilted open."""
    return (path("M0.5 2.5h5l1 2h7v3", fill="none", stroke=INK)
            + path("M0.5 2.5h5l1 2h7v3h-9.5l-3.5 7z", fill=FOLDER_BACK,
                   stroke=INK, extra=' stroke-linejoin="round"')
            + path("M3.5 7.5h12l-3 7h-12z", fill=FOLDER, stroke=INK,
                   extra=' stroke-linejoin="round"')
            + rect(4, 8, 11, 1, FOLDER_SHINE))


def question_badge(ox, oy):
    """A blue round badge 7 by 7 with a white question mark."""
    return (path("M%s %sa3 3 0 1 0 6 0a3 3 0 1 0 -6 0z" % (
        fmt(ox + 0.5), fmt(oy + 3.5)), fill=BLUE, stroke=INK)
        + mono(["XX.", "..X", ".X.", "...", ".X."], PAPER, ox + 2, oy + 1))


def calculator(ox, oy, lit=False):
    """A calculator 9 wide and 14 high: dark body, LCD, the two shift keys
    and a block of grey keys."""
    screen = rect(ox + 2, oy + 2, 5, 3, LCD_LIT if lit else LCD)
    if lit:  # the lit screen shows a little house: HOME
        screen += mono(["..X..", ".XXX.", ".X.X."], LCD_INK, ox + 2, oy + 2)
    keys = pixels([
        "P.G.K",
        ".....",
        "K.K.K",
        ".....",
        "K.K.K",
        ".....",
        "K.K.K",
    ], {"P": SHIFT_LEFT, "G": SHIFT_RIGHT, "K": KEY}, ox + 2, oy + 6)
    return box(ox, oy, 9, 14, CALC, rx=1) + screen + keys


def page():
    """A sheet with a folded corner, pixels 2..13 by 1..14."""
    return (path("M2.5 1.5h7l4 4v9h-11z", fill=PAPER, stroke=INK)
            + path("M9.5 1.5v4h4", fill=MIST, stroke=INK,
                   extra=' stroke-linejoin="bevel"'))


def lines_on_page(rows):
    return "".join(rect(4, y, 8, 1, MIST) for y in rows)


# ------------------------------------------------------- object list icons

def obj_real():
    return glyph_card("real", [
        ".X....XXXX",
        "XX....X...",
        ".X....XXX.",
        ".X.......X",
        ".X.......X",
        ".X....X..X",
        "XXX.X..XX.",
    ], 3, 4)


def obj_complex():
    c = ACCENT["complex"][0]
    # The complex plane: two axes, and the number as an arrow to its point.
    return (card("complex")
            + rect(4, 3, 1, 10, STEEL) + rect(3, 11, 10, 1, STEEL)
            + mono([
                "....XXX",
                ".....XX",
                "....X.X",
                "...X...",
                "..X....",
                ".X.....",
                "X......",
            ], c, 5, 4))


def obj_string():
    return glyph_card("string", [
        "X.X......X.X",
        "X.X......X.X",
        "....XXX.....",
        ".......X....",
        "....XXXX....",
        "...X...X....",
        "....XXXX....",
    ], 2, 4)


def obj_list():
    return glyph_card("list", [
        ".XX......XX.",
        ".X........X.",
        ".X........X.",
        "X..X....X..X",
        ".X........X.",
        ".X........X.",
        ".XX......XX.",
    ], 2, 4)


def obj_program():
    return glyph_card("program", [
        "..X.X..X.X..",
        ".X.X....X.X.",
        "X.X......X.X",
        ".X.X....X.X.",
        "..X.X..X.X..",
    ], 2, 5)


def obj_algebraic():
    # x squared: the variable with a raised exponent.
    return glyph_card("algebraic", [
        "......XX.",
        "........X",
        ".......X.",
        "......XXX",
        "X...X....",
        ".X.X.....",
        "..X......",
        ".X.X.....",
        "X...X....",
    ], 3, 3)


def obj_binary():
    return glyph_card("binary", [
        "..X..X.",
        "..X..X.",
        "XXXXXXX",
        ".X..X..",
        "XXXXXXX",
        ".X..X..",
        ".X..X..",
    ], 4, 4)


def obj_graphic():
    # A little LCD showing a plotted wave.
    return (box(1, 2, 14, 12, LCD, rx=1)
            + rect(2, 3, 12, 1, "#a9b891")
            + mono([
                "..XX........",
                ".X..X.......",
                "X....X......",
                "......X....X",
                ".......X..X.",
                "........XX..",
            ], LCD_INK, 2, 5))


def obj_unit():
    # A ruler with its marks.
    return (box(0, 4, 16, 8, YELLOW, rx=1)
            + mono([
                "X.X.X.X.X.X.X",
                "X.X.X.X.X.X.X",
                "X...X...X...X",
                "X.......X....",
            ], INK, 2, 5))


def obj_library():
    def book(x, y, h, cover):
        return box(x, y, 4, h, cover) + rect(x + 1, y + 2, 2, 1, "#f3d27a")
    return (book(0, 3, 12, "#b33a3a") + book(4, 1, 14, BLUE)
            + book(8, 4, 11, "#3a9a4a")
            + box(12, 2, 4, 13, "#7d4bb8") + rect(13, 4, 2, 1, "#f3d27a"))


def obj_dir_current():
    return folder()


def obj_dir_stale():
    return folder(pale=True) + question_badge(8, 8)


def obj_global():
    return glyph_card("global", [
        "X.X...X.X",
        "X.XX..X.X",
        "..X.X.X..",
        "..X..XX..",
        "..X...X..",
        "..X...X..",
        "..X...X..",
    ], 3, 4)


def obj_code():
    # A chip: machine code runs as it is.
    pins = "".join(rect(x, 1, 1, 2, STEEL) + rect(x, 13, 1, 2, STEEL)
                   for x in (4, 6, 9, 11))
    pins += "".join(rect(1, y, 2, 1, STEEL) + rect(13, y, 2, 1, STEEL)
                    for y in (4, 6, 9, 11))
    return (pins + box(3, 3, 10, 10, CALC, rx=1)
            + rect(5, 5, 1, 1, KEY) + rect(6, 7, 4, 2, "#76828f"))


def obj_other():
    return glyph_card("other", [
        ".XXX.",
        "X...X",
        "....X",
        "...X.",
        "..X..",
        ".....",
        "..X..",
    ], 5, 4)


# ------------------------------------------------------ calculator tree

def hptree_home():
    return calculator(3, 1)


def hptree_home_selected():
    return calculator(3, 1, lit=True)


def hptree_dir_current():
    return folder()


def hptree_dir_selected():
    return open_folder()


def hptree_dir_stale():
    return obj_dir_stale()


# ------------------------------------------------------------- PC tree

def pctree_computer():
    return (box(1, 1, 14, 10, SLATE, rx=1)
            + rect(3, 3, 10, 6, SKY) + rect(3, 3, 10, 1, SKY_LIGHT)
            + rect(6, 11, 4, 2, SLATE)
            + box(3, 12, 10, 3, MIST))


def pctree_removable():
    # A USB memory stick lying on its side.
    return (box(0, 5, 11, 7, BLUE, rx=1.5)
            + box(10, 6, 6, 5, MIST)
            + rect(12, 7, 2, 1, INK) + rect(12, 9, 2, 1, INK)
            + rect(2, 7, 4, 1, "#7fb0ea"))


def pctree_fixed():
    return (box(0, 4, 16, 8, MIST, rx=1)
            + rect(1, 9, 14, 2, STEEL)
            + rect(12, 6, 2, 1, "#2fc14a") + rect(2, 6, 7, 1, STEEL))


def pctree_cdrom():
    return (path("M0.5 8a7.5 7.5 0 1 0 15 0a7.5 7.5 0 1 0 -15 0z",
                 fill="#e3e7ec", stroke=INK)
            + path("M8 1.5a6.5 6.5 0 0 1 6.5 6.5h-4.5a2 2 0 0 0 -2 -2z",
                   fill="#a9d6f5")
            + path("M8 14.5a6.5 6.5 0 0 1 -6.5 -6.5h4.5a2 2 0 0 0 2 2z",
                   fill="#f2c9e4")
            + path("M5.5 8a2.5 2.5 0 1 0 5 0a2.5 2.5 0 1 0 -5 0z",
                   fill=PAPER, stroke=INK)
            + path("M7 8a1 1 0 1 0 2 0a1 1 0 1 0 -2 0z", fill=INK))


def pctree_folder_closed():
    return folder()


def pctree_folder_open():
    return open_folder()


# ------------------------------------------------------------- PC list

def pc_folder():
    return folder()


def pc_file():
    return page() + lines_on_page((7, 9, 11))


def word_label(art, fill):
    """A word in white on a coloured label across a page."""
    return page() + lines_on_page((4,)) + rect(0, 6, 16, 7, fill) + mono(
        art, PAPER, 2, 7)


def pc_hp_binary():
    return word_label([
        ".XXX..X.....",
        ".X..X.......",
        ".XXX..X.XX..",
        ".X..X.X.X.X.",
        ".XXX..X.X.X.",
    ], "#2f5f9e")


def pc_hp_text():
    return word_label([
        ".XX.........",
        "X..X.XX..XX.",
        "XXXX.X..X...",
        "X..X..X.X...",
        "X..X.XX..XX.",
    ], "#2b7a3a")


def pc_picture():
    return (box(0, 2, 16, 12, SKY)
            + rect(11, 4, 2, 2, YELLOW)
            + pixels([
                "....D.........",
                "...DDD.....G..",
                "..DDDDD...GGG.",
                ".DDDDDDD.GGGGG",
                "GGGGGGGGGGGGGG",
                "GGGGGGGGGGGGGG",
            ], {"G": "#4caf50", "D": "#2e7d32"}, 1, 7)
            + box(0, 2, 16, 12, "none"))


def pc_ga0():
    # A page with a small grey calculator on it.
    return (page() + lines_on_page((4, 6))
            + box(7, 7, 7, 9, "#9aa3ad", rx=1) + rect(9, 9, 3, 2, LCD)
            + mono(["X.X", "...", "X.X"], INK, 9, 12))


# ------------------------------------------------------------- toolbar

RIGHT_ARROW = [
    "......X...",
    "......XX..",
    "XXXXXXXXX.",
    "XXXXXXXXXX",
    "XXXXXXXXX.",
    "......XX..",
    "......X...",
]


def arrow(colour, ox, oy, length=10, left=False):
    """A bold arrow 7 high; `length` pixels long with its head."""
    art = [("X" * (length - 10) if "XXXX" in l else "." * (length - 10)) + l
           for l in RIGHT_ARROW]
    if left:
        art = [l[::-1] for l in art]
    return mono(art, colour, ox, oy)


def tb_send():
    return arrow(GREEN, 1, 1, 15) + arrow(BLUE, 0, 8, 15, left=True)


def tb_send_xmodem():
    return (arrow(GREEN, 1, 1, 15) + arrow(BLUE, 0, 8, 8, left=True)
            + mono(SMALL_CROSS, BLUE, 9, 9))


# The XModem mark: a bold blue cross, as on the XModem drag cursor.
SMALL_CROSS = [
    "XX...XX",
    "XXX.XXX",
    ".XXXXX.",
    "..XXX..",
    ".XXXXX.",
    "XXX.XXX",
    "XX...XX",
]


def tb_comm_settings():
    # A serial connector on its cable.
    return (path("M0.5 2.5h15v1.5l-2 5h-11l-2 -5z", fill=STEEL, stroke=INK,
                 extra=' stroke-linejoin="round"')
            + path("M2.5 4.5h11l-1.5 3h-8z", fill=CALC)
            + mono(["X.X.X.X.X"], "#f3d27a", 3, 5)
            + rect(7, 9, 2, 3, SLATE) + box(5, 11, 6, 4, SLATE))


def tb_finish():
    return calculator(0, 1) + box(8, 8, 8, 8, RED, rx=1.5) + rect(10, 10, 4, 4, PAPER)


def tb_read_all():
    # A directory tree, and an arrow: everything is read.
    art = [
        "BBBB........AA..",
        "BOOOBBBB....AA..",
        "BOOOOOOB....AA..",
        "BOOOOOOB..AAAAAA",
        "BBBBBBBB...AAAA.",
        "..K.........AA..",
        "..K..BBBB.......",
        "..K..BOOOBBBB...",
        "..KKKBOOOOOOB...",
        "..K..BOOOOOOB...",
        "..K..BBBBBBBB...",
        "..K.............",
        "..K..BBBB.......",
        "..K..BOOOBBBB...",
        "..KKKBOOOOOOB...",
        ".....BBBBBBBB...",
    ]
    return pixels(art, {"B": INK, "O": FOLDER, "Y": FOLDER, "K": SLATE,
                        "A": BLUE})


def tb_check_out():
    return (page() + rect(4, 4, 4, 1, MIST) + rect(4, 6, 3, 1, MIST)
            + path("M5.5 9a3 3 0 1 0 6 0a3 3 0 1 0 -6 0z", fill="#e8f3fd",
                   stroke=INK, width=1.5)
            + path("M10.6 11.6l3.6 3.6", stroke=INK, width=2.5,
                   extra=' stroke-linecap="round"'))


def tb_compare():
    # Two pages side by side, line against line; one pair of lines differs.
    def sheet(ox):
        return (box(ox, 1, 7, 14, PAPER)
                + "".join(rect(ox + 2, y, 3, 1, STEEL) for y in (4, 6, 11))
                + rect(ox + 1, 8, 5, 2, "#d9730d"))
    return sheet(0) + sheet(9)


def tb_home():
    return (rect(11, 2, 2, 4, SLATE)
            + box(3, 8, 10, 7, "#f4e4c1")
            + box(7, 10, 3, 5, "#8a5a2b")
            + path("M1.5 8.5l6.5 -6.5l6.5 6.5", stroke=RED, width=2,
                   extra=' stroke-linecap="square"'))


def tb_updir():
    return folder(1) + mono([
        "...X...",
        "..XXX..",
        ".XXXXX.",
        "XXXXXXX",
        "..XXX..",
        "..XXX..",
        "..XXX..",
    ], GREEN, 5, 6)


def tb_new_folder():
    return folder(1) + mono([
        "...XX...",
        "...XX...",
        "XXXXXXXX",
        "XXXXXXXX",
        "...XX...",
        "...XX...",
    ], GREEN, 8, 0)


def tb_delete():
    return path("M3 3l10 10M13 3l-10 10", stroke=RED, width=3,
                extra=' stroke-linecap="round"')


def tb_refresh():
    # Two arrows chasing each other round a circle.
    return (path("M2.5 8a5.5 5.5 0 0 1 9.5 -3.8", stroke=GREEN, width=2)
            + path("M13.5 8a5.5 5.5 0 0 1 -9.5 3.8", stroke=GREEN, width=2)
            + path("M14 1v5h-5z", fill=GREEN)
            + path("M2 15v-5h5z", fill=GREEN))


def tb_panic():
    return (path("M8 1.5l7 12.5h-14z", fill=YELLOW, stroke=INK,
                 extra=' stroke-linejoin="round"')
            + rect(7, 5, 2, 5, INK) + rect(7, 11, 2, 2, INK))


def tb_stop():
    # A red octagon with a white bar: what the line does now ends.
    return (path("M5.5 1.5h5l4 4v5l-4 4h-5l-4 -4v-5z", fill=RED, stroke=INK,
                 extra=' stroke-linejoin="round"')
            + rect(4, 7, 8, 2, PAPER))


# ------------------------------------ outcomes (log pane, connection check)

def state_disc(colour):
    return path("M8 1.5a6.5 6.5 0 1 1 0 13a6.5 6.5 0 1 1 0 -13z", fill=colour,
                stroke=INK)


def state_ok():
    """Passed or done: a white tick on a green disc."""
    return state_disc(GREEN) + path("M4.5 8.2l2.3 2.3l4.7 -4.7", stroke=PAPER,
                                    width=2)


def state_warning():
    """Worth a look: an exclamation mark on a yellow triangle."""
    return tb_panic()


def state_problem():
    """Failed: a white cross on a red disc."""
    return state_disc(RED) + path("M5.5 5.5l5 5M10.5 5.5l-5 5", stroke=PAPER,
                                  width=2)


# ---------------------------------------------------------- the program

def dravik():
    """The program: a calculator and a PC screen, and the two arrows of a
    transfer between them."""
    return (calculator(0, 1)
            + box(9, 1, 7, 6, SLATE, rx=1) + rect(10, 2, 5, 4, SKY)
            + mono([
                "..X.X..",
                ".XX.XX.",
                "XXXXXXX",
                ".XX.XX.",
                "..X.X..",
            ], BLUE, 9, 9))


# ------------------------------------------------------------- cursors

ARROW = [
    "K...........",
    "KK..........",
    "KWK.........",
    "KWWK........",
    "KWWWK.......",
    "KWWWWK......",
    "KWWWWWK.....",
    "KWWWWWWK....",
    "KWWWWWWWK...",
    "KWWWWWWWWK..",
    "KWWWWWWWWWK.",
    "KWWWWWWKKKKK",
    "KWWWKWWK....",
    "KWWK.KWWK...",
    "KWK..KWWK...",
    "KK....KWWK..",
    "K.....KWWK..",
    ".......KK...",
]

# A little dog trotting to the right (D its drooping ear) ...
DOG = [
    "..........KKKK...",
    ".........KFFFFK..",
    "........KDFFFFFK.",
    "........KDDFEFFFK",
    "........KDDFFFFFK",
    ".........KDFFFKKK",
    ".KK.......KFFFK..",
    "KFK.......KFFFK..",
    "KFK..KKKKKFFFFK..",
    ".KFKKFFFFFFFFFK..",
    "..KFFFFFFFFFFFK..",
    "...KFFFFFFFFFFK..",
    "...KFFKKKKKKFFK..",
    "...KFKFK..KFKFK..",
    "...KFKFK..KFKFK..",
    "...KKKKK..KKKKK..",
]

# ... with a letter in its mouth.
LETTER = [
    "KKKKKKKKKK",
    "KLPPPPPPLK",
    "KPLPPPPLPK",
    "KPPLLLLPPK",
    "KPPPPPPPPK",
    "KKKKKKKKKK",
]


def cursor(with_cross):
    """The drag cursor: the arrow at the top left (its tip is the hot spot,
    the drawing's corner) and the dog below it. A white rim keeps every part
    visible on a dark background. The XModem cursor adds a large cross."""
    grid = [["."] * 32 for _ in range(32)]

    def put(art, ox, oy):
        for y, line in enumerate(art):
            for x, ch in enumerate(line):
                if ch != ".":
                    grid[oy + y][ox + x] = ch

    def rim(art, ox, oy):
        for y, line in enumerate(art):
            for x, ch in enumerate(line):
                if ch == ".":
                    continue
                for dy in (-1, 0, 1):
                    for dx in (-1, 0, 1):
                        yy, xx = oy + y + dy, ox + x + dx
                        if 0 <= yy < 32 and 0 <= xx < 32:
                            grid[yy][xx] = "W"

    ox, oy = 6, 15
    rim(DOG, ox, oy)
    rim(LETTER, ox + 15, oy + 2)
    put(DOG, ox, oy)
    put(LETTER, ox + 15, oy + 2)
    put(ARROW, 0, 0)
    if with_cross:
        rim(CROSS, 19, 1)
        put(CROSS, 19, 1)
    colours = {"K": INK, "W": PAPER, "F": "#c8843f", "D": "#8a5426",
               "E": INK, "P": PAPER, "L": STEEL, "X": BLUE}
    return svg(pixels(["".join(r) for r in grid], colours), 32)


# The XModem cursor's cross.
CROSS = [
    "XX.......XX",
    "XXX.....XXX",
    ".XXX...XXX.",
    "..XXX.XXX..",
    "...XXXXX...",
    "....XXX....",
    "...XXXXX...",
    "..XXX.XXX..",
    ".XXX...XXX.",
    "XXX.....XXX",
    "XX.......XX",
]


ICONS = [
    "obj_real", "obj_complex", "obj_string", "obj_list", "obj_program",
    "obj_algebraic", "obj_binary", "obj_graphic", "obj_unit", "obj_library",
    "obj_dir_current", "obj_other", "obj_global", "obj_dir_stale", "obj_code",
    "hptree_home", "hptree_dir_current", "hptree_dir_selected",
    "hptree_dir_stale", "hptree_home_selected",
    "pctree_computer", "pctree_removable", "pctree_fixed", "pctree_cdrom",
    "pctree_folder_closed", "pctree_folder_open",
    "pc_folder", "pc_file", "pc_hp_binary", "pc_hp_text", "pc_picture",
    "pc_ga0",
    "tb_send", "tb_send_xmodem", "tb_comm_settings", "tb_finish",
    "tb_read_all", "tb_check_out", "tb_compare", "tb_home", "tb_updir", "tb_new_folder",
    "tb_delete", "tb_refresh", "tb_panic", "tb_stop",
    "state_ok", "state_warning", "state_problem",
    "dravik",
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "res/icons"
    os.makedirs(out, exist_ok=True)
    pictures = {name: svg(globals()[name]()) for name in ICONS}
    pictures["cursor_drag"] = cursor(False)
    pictures["cursor_drag_xmodem"] = cursor(True)
    for name, text in pictures.items():
        with open(os.path.join(out, name + ".svg"), "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
