"""Text on the chart window as the program draws it: GNU Unifont's 8x16 glyphs in cells of the
text grid, glyph pixels in the foreground colour and the rest of the cell in the background
colour. Compares a screenshot or snapshot with expected text and reads text back from it, in
the whole window or a part of it.

Text positions are 1-based: cell (row r, column c) covers pixels x = 8(c-1) .. 8c-1 and
y = 16(r-1) .. 16r-1.
"""

import functools

import harness

UNIFONT_HEX = "/usr/share/unifont/unifont.hex"
CELL_WIDTH = 8
CELL_HEIGHT = 16


@functools.lru_cache(maxsize=1)
def glyphs():
    """Byte -> 16 row bytes (most significant bit leftmost) for every byte the grid shows:
    0x20-0x7E and 0xA0-0xFF with an 8-pixel-wide Unifont glyph."""
    table = {}
    with open(UNIFONT_HEX, encoding="ascii") as f:
        for line in f:
            code, _, bits = line.strip().partition(":")
            value = int(code, 16)
            if value > 0xFF:
                break
            if (0x20 <= value <= 0x7E or value >= 0xA0) and len(bits) == 32:
                table[value] = bytes.fromhex(bits)
    return table


@functools.lru_cache(maxsize=1)
def _characters_by_shape():
    # The first byte with a shape wins, so a blank cell reads as " " rather than 0xA0.
    shapes = {}
    for value, rows in sorted(glyphs().items()):
        shapes.setdefault(rows, chr(value))
    return shapes


def cell_origin(row, column):
    return CELL_WIDTH * (column - 1), CELL_HEIGHT * (row - 1)


def _colour(index_or_rgb):
    if isinstance(index_or_rgb, int):
        return bytes(harness.BASIC_PALETTE[index_or_rgb])
    return bytes(index_or_rgb)


def text_mismatches(image, row, column, text, foreground, background=0, skip_pixel_rows=()):
    """The pixels where the image differs from `text` printed at (row, column): a list of
    (x, y, shown colour, expected colour). Pixel rows (absolute y) in `skip_pixel_rows` are
    left out of the comparison."""
    on = _colour(foreground)
    off = _colour(background)
    left, top = cell_origin(row, column)
    wrong = []
    for i, character in enumerate(text):
        rows = glyphs().get(ord(character))
        if rows is None:
            raise harness.HarnessError(f"no glyph for {character!r}")
        x0 = left + CELL_WIDTH * i
        for dy in range(CELL_HEIGHT):
            y = top + dy
            if y in skip_pixel_rows:
                continue
            bits = rows[dy]
            for dx in range(CELL_WIDTH):
                expected = on if bits & (0x80 >> dx) else off
                at = 3 * (y * image.width + x0 + dx)
                shown = image.rgb[at:at + 3]
                if shown != expected:
                    wrong.append((x0 + dx, y, tuple(shown), tuple(expected)))
    return wrong


def read_cell(image, row, column, foreground, skip_pixel_rows=()):
    """The character whose glyph, in the foreground colour, covers exactly the pixels of the
    cell that have that colour; "?" when no glyph matches. Pixel rows in `skip_pixel_rows`
    count as not set."""
    on = _colour(foreground)
    left, top = cell_origin(row, column)
    shape = bytearray(CELL_HEIGHT)
    for dy in range(CELL_HEIGHT):
        y = top + dy
        if y in skip_pixel_rows or y >= image.height:
            continue
        bits = 0
        for dx in range(CELL_WIDTH):
            at = 3 * (y * image.width + left + dx)
            if image.rgb[at:at + 3] == on:
                bits |= 0x80 >> dx
        shape[dy] = bits
    return _characters_by_shape().get(bytes(shape), "?")


def read_text(image, row, column, length, foreground, skip_pixel_rows=()):
    columns = min(length, image.width // CELL_WIDTH - column + 1)
    return "".join(read_cell(image, row, column + i, foreground, skip_pixel_rows)
                   for i in range(columns))


# --- A part of the window ------------------------------------------------------------------

class Region:
    """Text rows first_row .. last_row and columns first_column .. last_column of a window, as
    an image; every method takes the whole window's text positions and pixel rows."""

    def __init__(self, image, first_row, first_column):
        self.image = image
        self.first_row = first_row
        self.first_column = first_column
        self.last_row = first_row + image.height // CELL_HEIGHT - 1
        self.last_column = first_column + image.width // CELL_WIDTH - 1

    def _place(self, row, column, length=1):
        if not (self.first_row <= row <= self.last_row and self.first_column <= column
                and column + length - 1 <= self.last_column):
            raise harness.HarnessError(f"row {row}, columns {column}..{column + length - 1} "
                                       f"are outside the captured region")
        return row - self.first_row + 1, column - self.first_column + 1

    def _skip(self, skip_pixel_rows):
        offset = CELL_HEIGHT * (self.first_row - 1)
        return {y - offset for y in skip_pixel_rows}

    def read_text(self, row, column, length, foreground, skip_pixel_rows=()):
        length = min(length, self.last_column - column + 1)
        r, c = self._place(row, column, length)
        return read_text(self.image, r, c, length, foreground, self._skip(skip_pixel_rows))

    def text_mismatches(self, row, column, text, foreground, skip_pixel_rows=()):
        r, c = self._place(row, column, len(text))
        return text_mismatches(self.image, r, c, text, foreground,
                               skip_pixel_rows=self._skip(skip_pixel_rows))

    def rows_with_text(self, column, text, foreground, skip_pixel_rows=()):
        """The rows of the region on which `text` stands exactly from `column` on."""
        return [row for row in range(self.first_row, self.last_row + 1)
                if not self.text_mismatches(row, column, text, foreground, skip_pixel_rows)]


def screenshot_region(x, window, rows, columns=(1, None)):
    """Text rows rows[0] .. rows[1] and columns columns[0] .. columns[1] (1-based, inclusive;
    None: to the window's edge) of the window as a Region."""
    image = x.screenshot(window)
    last_column = columns[1] if columns[1] is not None else image.width // CELL_WIDTH
    left, top = CELL_WIDTH * (columns[0] - 1), CELL_HEIGHT * (rows[0] - 1)
    right = min(CELL_WIDTH * last_column, image.width)
    bottom = min(CELL_HEIGHT * rows[1], image.height)
    return Region(image.crop(left, top, right, bottom), rows[0], columns[0])
