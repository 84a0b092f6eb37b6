"""The text log as stillmon writes it in live mode and reads it back in replay, done over in
Python so the end-to-end tests can craft logs and predict what a replay shows.

A live line: ", Tank =78.1, 1 st =87.5, ..., Out W=0.1, Proof= 0.0, 14:30:45_7, 1.002, Num=1234"
followed by CR LF. Replay refills channels 0 to 7 as logged value x 16 + the channel's replay
offset, rounded half to even, so channels 1 to 6 come back 0.25 to 0.75 higher than logged.
"""

import fractions
import math
import re

# Channels 0 to 7: name (five characters, trailing blanks kept), divisor, replay offset.
REPLAYED_CHANNELS = (
    ("Tank ", 16, 0), ("1 st ", 16, 4), ("2 st ", 16, 8), ("Steam", 16, 12),
    ("TopHE", 16, 8), ("Centr", 16, 8), ("BotHE", 16, 8), ("Out W", 16, 0),
)


def format_number(value, mask):
    """The text a number gets under a mask, for the exact binary fractions frames carry: a
    magnitude below one unit of the last place is zero, an exact half in the last place
    rounds toward zero, anything above it away from zero; at least as many integer digits
    as the mask has."""
    value = fractions.Fraction(value)
    integer_places, _, fraction_mask = mask.partition(".")
    places = len(fraction_mask)
    unit = fractions.Fraction(1, 10 ** places) if places else fractions.Fraction(1, 10)
    if value != 0 and abs(value) < unit:
        value = fractions.Fraction(0)
    whole = math.trunc(value)
    scaled = (value - whole) * 10 ** places
    digits = math.trunc(scaled)
    rest = scaled - digits
    if rest > fractions.Fraction(1, 2):
        digits += 1
    elif rest < -fractions.Fraction(1, 2):
        digits -= 1
    result = whole * 10 ** places + digits  # in units of the last place
    sign = "-" if result < 0 else ""
    text = str(abs(result)).rjust(places + 1, "0")
    integer_text = text[:len(text) - places] if places else text
    integer_text = integer_text.rjust(len(integer_places), "0")
    return sign + integer_text + ("." + text[len(text) - places:] if places else "")


_DECIMAL = re.compile(r"[+-]?(\d+\.?\d*|\.\d+)([EeDd][+-]?\d+)?")


def read_number(text):
    """The leading decimal number of the text after leading blanks; 0 when there is none.
    (The radix forms "&H.." are not needed by these tests.)"""
    found = _DECIMAL.match(text.lstrip(" "))
    if not found:
        return 0.0
    number = found.group(0)
    return float(number.replace("D", "E").replace("d", "e"))


def channel_item(name, raw, divisor, mask="0.0"):
    return f"{name}={format_number(fractions.Fraction(raw, divisor), mask)}, "


def live_line(raws, proof=0.0, time_text="14:30:45_7", interval=1.002, number=1):
    """One text-log line (with CR LF) as a live cycle writes it, for raw values of channels
    0 to 7."""
    return (channel_line_1(raws) + "Proof= " + format_number(proof, "0.0") + ", " + time_text
            + ", " + format_number(interval, "0.000") + ", Num=" + format_number(number, "0")
            + "\r\n")


def split_fields(line):
    """A written line's 13 fields, as replay reads them (each with its leading blanks
    skipped)."""
    fields = [field.lstrip(" \t") for field in line.rstrip("\r\n").split(",")]
    if len(fields) != 13:
        raise ValueError(f"{len(fields)} fields in {line!r}")
    return fields


def _nearest_even(value):
    return round(value)  # Python rounds halves to even


def refilled_raws(fields, previous=(0,) * 8):
    """Frame elements 0 to 7 after replaying the fields of one record."""
    raws = list(previous)
    for c, (name, divisor, offset) in enumerate(REPLAYED_CHANNELS):
        field = fields[c + 1]
        if field[:5].strip(" ") != name.strip(" "):
            continue
        raw = _nearest_even(read_number(field[6:]) * divisor + offset)
        raws[c] = raw if -32768 <= raw <= 32767 else -32768
    return raws


def channel_line_1(raws):
    """Channel text line 1 for frame elements 0 to 7, as the text log begins too."""
    return ", " + "".join(channel_item(name, raw, divisor)
                          for (name, divisor, _), raw in zip(REPLAYED_CHANNELS, raws))


def replay_record_line(fields, delay=0):
    return f"{fields[10]} {fields[11]} {fields[12]} D={format_number(delay, '00')}  "


def generated_log(count, first_number=1, seed=1):
    """`count` lines of a plausible run: slowly moving temperatures with a little ripple, a
    device clock one second per record, record numbers counting up from first_number."""
    lines = []
    for i in range(count):
        phase = (i * 7 + seed * 13) % 360
        ripple = round(8 * math.sin(math.radians(phase)))
        raws = (1250 + ripple + (i // 50) % 40, 1400 + ripple, 1456 - ripple, 1560 + (i % 24),
                408 + (i // 30) % 30, 411 - ripple, 398 + (i // 200) % 20, 2 + (i % 5))
        clock = 14 * 3600 + 30 * 60 + 45 + i
        hours, minutes, seconds = clock // 3600 % 24, clock // 60 % 60, clock % 60
        time_text = f"{hours:02d}:{minutes:02d}:{seconds:02d}_{i % 256}"
        lines.append(live_line(raws, time_text=time_text,
                               interval=0.85 + 0.001 * (i % 100),
                               number=(first_number + i) % 65536))
    return "".join(lines)
