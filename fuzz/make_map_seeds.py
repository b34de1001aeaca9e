#!/usr/bin/env python3
"""Writes the seed inputs of the map file and sample answer fuzz targets into
corpus/map_file/ and corpus/samples/. Run from anywhere; seeds of the same name are replaced."""
import struct

from seedlib import write


def map_text(sep, rows):
    out = ""
    for row in rows:
        for v in row:
            s = ("%.15g" % v).replace(".", sep)
            out += ("" if s.startswith("-") else " ") + s + " \r\n"
    return out.encode("latin-1")


rows = [(300 + 20 * k, 2 + 0.2 * k, 310 + 20 * k, 2.4 + 0.2 * k) for k in range(60)]
write("map_file", "full_comma", b"\x00" + map_text(",", rows))
write("map_file", "full_dot", b"\x01" + map_text(".", rows))
write("map_file", "short_repeats", b"\x00405\r\n3,95\r\n")
write("map_file", "empty_lines", b"\x01\r\n\r\n  \r\n.5\n-0.1\r")
write("map_file", "bad_line", b"\x00405\r\n3,95\r\nabc\r\n1\r\n")
write("map_file", "huge", b"\x011e308\r\n-1e308\r\n1e-320\r\n99999999999999999999\r\n")


def samples(pairs, count=None):
    d = bytes([len(pairs) if count is None else count])
    for t, v in pairs:
        d += struct.pack("<HH", t, v)
    return d


full = [(250 + 10 * i, 300 + 17 * i) for i in range(30)]
write("samples", "petrol_set0", b"\x00" + samples(full))
write("samples", "gas_set1_added", b"\x07" + samples(full))
write("samples", "short_60_bytes", b"\x01" + samples(full)[:60])
write("samples", "too_short", b"\x00" + samples(full)[:59])
write("samples", "out_of_range", b"\x02" + samples([(65535, 401), (100, 65535)] * 15))
write("samples", "empty", b"\x03")
