#!/usr/bin/env python3
"""Writes the seed inputs of the configuration, firmware image, expert layout, answer frame
and log file fuzz targets into corpus/<target>/, from the shipped files in data/ and small
examples of each format. Run from anywhere; seeds of the same name are replaced."""
import os

from seedlib import HERE, SEP, answer, write, xor

DATA = os.path.join(HERE, "..", "data")


def shipped(*parts):
    with open(os.path.join(DATA, *parts), "rb") as f:
        return f.read()


def s2(address, data):
    body = bytes([len(data) + 4]) + address.to_bytes(3, "big") + data
    return "S2" + body.hex().upper() + "%02X" % (0xFF - (sum(body) & 0xFF))


# Configuration files: flags byte (bit 0 default configuration, bit 1 decimal point, bit 2
# oversized, bit 3 six-cylinder variant), then the file.
default_xar = shipped("LNG", "Default.Xar")
write("var_file", "default_xar_as_default", b"\x00" + default_xar)
write("var_file", "default_xar_six_cyl", b"\x09" + default_xar)
write("var_file", "default_xar_as_var_dot", b"\x02" + default_xar)
write("var_file", "oversized", b"\x04" + default_xar[:200])
lines = default_xar.decode("latin-1").split("\r\n")
write("var_file", "truncated_mid_line", b"\x00" + "\r\n".join(lines[:5]).encode()[:-17])
write("var_file", "lf_only_tables_cut", b"\x01" + "\n".join(lines[:20]).encode())
write("var_file", "odd_values", b"\x00" + b"[COR]\r\n1e308\r\n-1e308\r\nnan\r\n1,5\r\n2.5\r\nB2zz\r\nB3\r\n[ADT]\r\n"
      b"0,0000001\r\n[BLK5]\r\nB5FF\r\n")

# Firmware images: flags byte (bit 0 also encoded), then the layout, FF 00 FF, the image
# (no separator: the shipped layout).
frh = shipped("BIN", "Norvik512.frh").decode("latin-1").split("\n")
flash_ini = shipped("BIN", "Flash.ini")
head = "\n".join(frh[:12]) + "\n" + "\n".join(l for l in frh if l.startswith("S8") or "AdrFrmwarEcu" in l)
tail_lines = frh[-6:]
write("firmware_image", "shipped_head", b"\x00" + head.encode())
write("firmware_image", "shipped_tail_encoded", b"\x01" + "\n".join(tail_lines).encode())
small_layout = b"H00000000    H000000FF\r\nH00000100 H000001FF\r\n"
image = "\r\n".join([
    "S0030000FC",
    s2(0x000000, bytes(range(16))),
    s2(0x0000F8, bytes(range(16))),      # runs past block 0 into block 1
    s2(0x000200, b"\x01\x02"),           # outside the layout
    s2(0x000010, b"\x03")[:-2] + "00",   # bad checksum
    "S2040000",                          # too short
    "S20500001G00",                      # not hexadecimal
    "[AdrFrmwarEcu]",
    "00000040",
    s2(0x000020, b"\x09"),               # after the key: not read
])
write("firmware_image", "small_layout_records", b"\x01" + small_layout + SEP + image.encode())
write("firmware_image", "layout_out_of_order", b"\x00" + b"H00000100 H000001FF\nH00000000 H000000FF\n" + SEP + image.encode())
write("firmware_image", "layout_15_blocks", b"\x00" + b"".join(b"H%08X H%08X\n" % (i * 16, i * 16 + 15) for i in range(15))
      + SEP + image.encode())
write("firmware_image", "layout_full_space", b"\x00" + b"H00000000 H00FFFFFF\n" + SEP + image.encode())
write("firmware_image", "shipped_layout_crlf", b"\x00" + flash_ini + SEP + head.encode())

# The expert layout: the shipped file and a few damaged blocks.
exp = shipped("LNG", "exp.cfg")
write("expert_layout", "shipped", exp)
exp_text = exp.decode("latin-1")
cut = exp_text.index("[EndName]", exp_text.index("[EndName]") + 1)
write("expert_layout", "cut_short", exp_text[:cut])
write("expert_layout", "bad_values", "[Sessione pagina Expert]\r\n[Name]\r\nTxtPw\r\n[Index]\r\nNone\r\n[Width]\r\n99999\r\n"
      "[EndName]\r\n[Name]\r\nFrmExp\r\n[Index]\r\n-3\r\n[Left]\r\n-40000\r\n[EndName]\r\n[Name]\r\nFrmExp\r\n"
      "[Left]\r\n[Top]\r\n20000\r\n[Width]\r\n15000\r\n[BackColor]\r\n&H80000005&\r\n[Alignment]\r\n3\r\n[EndName]\r\n"
      "[Name]\r\n[EndName]\r\n[Fine pagina Expert]\r\n[Name]\r\nTxtPw\r\n[Left]\r\n1\r\n[EndName]\r\n")
write("expert_layout", "lf_only_lower_case", exp_text.replace("\r\n", "\n").replace("True", "true"))

# Answer frames: flags byte (bit 0 as it is, bit 1 added gas time, bit 2 variant code),
# the request's command (0: the answer's own), the frame.
def frame_seed(name, flags, cmd, frame):
    write("answers", name, bytes([flags, cmd]) + frame)


frame_seed("block1", 0, 0, answer(12, 0, bytes((i * 7) & 0xFF for i in range(85))))
frame_seed("block1_short_added_time", 2, 0, answer(12, 0, bytes(range(40))))
frame_seed("block2", 0, 0, answer(13, 0, bytes.fromhex("0303010000100000002000010100")))
frame_seed("block3_default", 0, 0, answer(14, 0, bytes.fromhex(
    "040423008D2000002C01020004000000000001010101000000000000000000000000000000000100B40068013002F802FF0300"
    "0000E80360091400000000200328000001000000010100")))
frame_seed("block5_long", 0, 0, answer(49, 0, bytes.fromhex("0000000000000000000000000014BE0ACA0800E8035802")))
frame_seed("block5_short", 0, 0, answer(49, 0, bytes(14)))
samples = bytes([30]) + b"".join((i * 300).to_bytes(2, "little") + (i * 40).to_bytes(2, "little") for i in range(30))
frame_seed("samples_petrol0", 0, 0, answer(27, 0, samples))
frame_seed("samples_gas1_added", 2, 0, answer(32, 0, samples + b"\xff\xff"))
frame_seed("wrong_command", 0, 13, answer(12, 0, bytes(85)))
frame_seed("status_255", 0, 0, answer(14, 255, bytes(74)))
frame_seed("raw_bad_checksum", 1, 0, answer(13, 0, bytes(14))[:-1] + b"\x00")
frame_seed("raw_extra_bytes", 1, 0, answer(13, 0, bytes(14)) + b"\x42\x01")
frame_seed("zone_identity", 0, 3, answer(3, 0, b"0140150320"))
frame_seed("errors", 0, 0, answer(26, 0, bytes(range(70))))
frame_seed("firmware", 0, 0, answer(33, 0, b"\x01\x40\x15\x03\x20\x10abc"))

# Log files: byte 0 the window (and bit 7 the decimal point), then the log.
data85 = bytes((i * 13) & 0xFF for i in range(85))
b1hex = answer(12, 0, data85).hex().upper()
log = ('"1000 O  Software ver. 01.01.03 Gas ECU Workbench 10/12/2026"\r\n"[K_gm]"\r\n 7500000 \r\n'
       '"[K_Lambda]"\r\n 0,002 \r\n"CMD_READ_MEM1"\r\n"2000 T 4102030C4C"\r\n"2002 C 3"\r\n'
       '"2100 R ' + b1hex[:60] + '"\r\n"2120 R ' + b1hex + '"\r\n"2121 C 1"\r\n'
       '"2300 R ' + b1hex[:-2] + '00"\r\n"2400 R ' + b1hex + '"\r\n"2500 R ' + b1hex + '"\r\n')
write("log_file", "raw_small_windows", b"\x03" + log.encode())
write("log_file", "raw_lf_only_dot", b"\x85" + log.replace("\r\n", "\n").replace("0,002", "0.002").encode())
write("log_file", "no_final_line_end", b"\x10" + log.rstrip("\r\n").encode())
write("log_file", "repeated_tags", b"\x00" + b'"1 T 41"\r\n"2 T 41"\r\n\r\n"3 R 42"\r\nnoblank\r\n"4 R 42"\r\n"5 R 42"')
frame_seed("production_memo", 4, 0, answer(48, 0, bytes(range(20))))
frame_seed("status_only", 0, 0, bytes([0x42, 0x01, 0x03, 13, 0]) + bytes([xor([0x42, 0x01, 0x03, 13, 0])]))
