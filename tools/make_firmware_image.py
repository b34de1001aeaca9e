#!/usr/bin/env python3
"""Makes the firmware image and the flash layout of the simulated ECU family:
data/BIN/Flash.ini and data/BIN/Norvik512.frh (plain S-records, CR LF lines).

The image is deterministic: code, constant tables and texts spread over the flash with
erased (0xFF) gaps between them, and the identity record at 0xFF8000 that equals the
simulated ECU's default identity (version 0140, 15/03/2010, "KD452 CUSTOMER 0815").

    python3 tools/make_firmware_image.py                 # writes data/BIN/...
    python3 tools/make_firmware_image.py --out DIR       # writes DIR/Flash.ini, DIR/Norvik512.frh
    python3 tools/make_firmware_image.py --version 0141 --date 01062011   # another identity
"""
import argparse
import os
import random

FLASH_FIRST = 0xF80000
FLASH_LAST = 0xFFFFFF
BLOCK_SIZE = 0x10000          # eight 64 KB erase blocks
IDENTITY_ADDRESS = 0xFF8000
RECORD_BYTES = 32


def bcd(digits):
    return bytes(int(digits[i]) * 16 + int(digits[i + 1]) for i in range(0, len(digits), 2))


def identity_record(version, date, project):
    text = project.encode('ascii')[:32].ljust(32, b' ')
    return bcd(version) + bcd(date) + text


def code_bytes(rng, size):
    """Looks like machine code: short instruction words, few 0xFF bytes, some erased padding
    between routines."""
    out = bytearray()
    while len(out) < size:
        routine = rng.randint(40, 400)
        for _ in range(routine // 2):
            op = rng.choice([0x4E, 0x20, 0x30, 0x22, 0x60, 0x66, 0x67, 0x41, 0x48, 0x2F, 0x70, 0x72])
            out += bytes([op, rng.randint(0, 0xFE)])
        out += bytes([0x4E, 0x75])           # return
        if rng.random() < 0.3:               # alignment padding
            out += b'\xff' * rng.choice([2, 6, 14])
    return bytes(out[:size])


def table_bytes(size):
    """Smooth 16-bit curves, little-endian."""
    out = bytearray()
    i = 0
    while len(out) < size:
        v = (i * 37 + (i * i) // 50) % 0xFE00
        out += bytes([v & 0xFF, v >> 8])
        i += 1
    return bytes(out[:size])


def text_bytes(size):
    words = [b'GAS', b'PETROL', b'LEVEL', b'INJ', b'LAMBDA', b'ERR', b'TEMP', b'RPM', b'MAP', b'OK']
    out = bytearray()
    i = 0
    while len(out) < size:
        out += words[i % len(words)] + b'\x00'
        i += 1
    return bytes(out[:size])


def build_image(version, date, project):
    rng = random.Random(4520815)
    regions = [
        (0xF80000, bytes(rng.randint(0, 0x7F) for _ in range(0x100))),   # vectors
        (0xF80400, code_bytes(rng, 0x7C00)),                              # code, 248 zones
        (0xF90000, code_bytes(rng, 0x1800)),                              # more code
        (0xFA0000, table_bytes(0x1000)),                                  # constant tables
        (0xFC0000, text_bytes(0x600)),                                    # texts
        (0xFE0000, table_bytes(0x300)),                                   # default parameters
        (IDENTITY_ADDRESS, identity_record(version, date, project)),
        (0xFFFF00, bytes([0x00, 0xF8, 0x04, 0x00] * 8)),                  # reset vectors
    ]
    return regions


def s_record(kind, address, data, addr_len):
    body = bytes([len(data) + addr_len + 1]) + address.to_bytes(addr_len, 'big') + data
    checksum = (~sum(body)) & 0xFF
    return kind + body.hex().upper() + '%02X' % checksum


def image_lines(regions):
    lines = [s_record('S0', 0, b'NORVIK512', 2)]
    count = 0
    for start, data in regions:
        for off in range(0, len(data), RECORD_BYTES):
            chunk = data[off:off + RECORD_BYTES]
            if chunk == b'\xff' * len(chunk):
                continue                      # erased: no record
            lines.append(s_record('S2', start + off, chunk, 3))
            count += 1
    lines.append(s_record('S5', count & 0xFFFF, b'', 2))
    lines.append(s_record('S8', FLASH_FIRST + 0x400, b'', 3))
    lines.append('[AdrFrmwarEcu]')
    lines.append('%06X' % IDENTITY_ADDRESS)
    return lines


def layout_lines():
    return ['H%08X    H%08X' % (a, a + BLOCK_SIZE - 1) for a in range(FLASH_FIRST, FLASH_LAST, BLOCK_SIZE)]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('--out', default=os.path.join(root, 'data', 'BIN'))
    p.add_argument('--version', default='0140', help='four decimal digits')
    p.add_argument('--date', default='15032010', help='DDMMYYYY')
    p.add_argument('--project', default='KD452 CUSTOMER 0815', help='project, customer, code')
    a = p.parse_args()
    if len(a.version) != 4 or not a.version.isdigit() or len(a.date) != 8 or not a.date.isdigit():
        p.error('the version takes 4 digits, the date 8 (DDMMYYYY)')
    os.makedirs(a.out, exist_ok=True)
    with open(os.path.join(a.out, 'Flash.ini'), 'wb') as f:
        f.write(('\r\n'.join(layout_lines()) + '\r\n').encode('ascii'))
    with open(os.path.join(a.out, 'Norvik512.frh'), 'wb') as f:
        f.write(('\r\n'.join(image_lines(build_image(a.version, a.date, a.project))) + '\r\n').encode('ascii'))


if __name__ == '__main__':
    main()
