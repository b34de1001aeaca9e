#!/usr/bin/env python3
"""Writes the small meaningful seed inputs of every fuzz target into corpus/<target>/.
Run from anywhere; existing seeds of the same name are replaced, other files are kept."""
import os

from seedlib import HERE, SEP, answer, write


def flags(cycle=False, usb=False, service=False, paced=False, fail_queue=False, resend=2):
    return (cycle | usb << 1 | service << 2 | paced << 3 | fail_queue << 4 | resend << 5)


def link(fl, cmd, payload, answers):
    return bytes([fl, cmd, len(payload)]) + payload + SEP.join(answers)


eco = answer(9, 0, b"ECO")
block1 = answer(12, 0, bytes((i * 7) & 0xFF for i in range(85)))
write("link_receive", "eco_good", link(flags(), 9, b"ECO", [eco]))
write("link_receive", "eco_good_paced_usb", link(flags(usb=True, paced=True), 9, b"ECO", [eco]))
write("link_receive", "eco_bad_checksum_then_good", link(flags(), 9, b"ECO", [eco[:-1] + b"\x00", eco]))
write("link_receive", "status_255_service", link(flags(service=True, resend=1), 9, b"ECO", [answer(9, 255)]))
write("link_receive", "wrong_command", link(flags(), 9, b"ECO", [answer(12, 0, b"x")]))
write("link_receive", "no_answer", link(flags(resend=1), 12, b"", [b""]))
write("link_receive", "split_with_extra", link(flags(paced=True, fail_queue=True), 9, b"ECO", [eco + b"\x42\x01"]))
write("link_receive", "cycle_block1", link(flags(cycle=True), 12, b"", [eco, block1]))
write("link_receive", "cycle_eco_lost", link(flags(cycle=True, resend=0), 12, b"", [b"\x42\x01\x30"]))
write("link_receive", "read_err", link(flags(), 26, b"", [answer(26, 0, bytes(range(64)))]))
write("link_receive", "zone_identity", link(flags(), 3, b"\x00\x00\x80\x00\x10", [answer(3, 0, b"0140150320")]))
write("link_receive", "table_cor", link(flags(cycle=True), 18, b"\x00", [eco, answer(18, 0, bytes(64))]))

setcom = ["[Setport]", "38400,N,8,1", "[Comport]", "3", "[MemoPath]", "/opt/app", "[Titolo]",
          "Default Setting", "[AttesaByteTx_usec]", "500", "[AttesaGlobale_usec]", "4000000",
          "[MolAttesaGlobale]", "500", "[Idle_usec]", "100000", "[NumResend]", "10", "[UsbCom]",
          "False", "[SearchCom]", " 255 ", "[DCB_fBitFields]", "0"]
write("setcom", "defaults_com3", "\r\n".join(setcom) + "\r\n")
write("setcom", "lower_case_blanks", "[comport]\r\n  7  \r\n[titolo]\r\n Mixed Case \r\n[usbcom]\r\n0\r\n")
write("setcom", "bad_values", "[Comport]\r\n99999\r\n[NumResend]\r\nabc\r\n[SearchCom]\r\n300\r\n[Idle_usec]\r\n1,5\r\n[UsbCom]")
write("setcom", "empty", "")

write("com_port_map", "com3_pty", "[COM3]\r\n/dev/pts/7\r\n")
write("com_port_map", "several", "[com1]\n  /dev/ttyUSB0  \n[COM9]\n/tmp/x y\n[COM10]\n/dev/null\n[COM2]")
write("com_port_map", "empty_value", "[COM4]\r\n\r\n[COM5]\r\n/dev/ttyS9\r\n")


def encode(s):
    digits = "".join("%04d" % (2 * ord(c)) for c in s)
    return digits[::-1]


write("encoded_files", "encoded_flash_ini", "\r\n".join([encode("BASILISCO"), encode("[Flash]"), encode("0x8000"), encode("")]))
write("encoded_files", "plain_lines", "[K_Time_Inj_ms]\r\n0,008\r\nlast line without end")
write("encoded_files", "one_encoded_line", encode("[Control_petrol_firmware]"))
write("encoded_files", "bad_header", encode("BASILISCX") + "\r\n" + encode("x") + "\n")
write("encoded_files", "bare_lf_and_cr", "a\rb\nc\r\n\r\n")

diz = ("###\r\n#English\r\nFile\r\nExit\r\n[FrmInit]\r\nSearching port\r\n"
       "###\r\n#Italiano\r\nFile\r\nEsci\r\n[FrmInit]\r\nRicerca porta\r\n")
write("dictionary", "two_languages_con1", diz + "\x00" + "1\r\n")
write("dictionary", "two_languages_no_con", diz)
write("dictionary", "inconsistent_con9", "###\n#A\nx\ny\n###\n#B\nx\n\x00 9 \n")
write("dictionary", "entry_before_header", "hello\r\n###\r\n#A\r\n")
write("dictionary", "trailing_marker", "###\r\n#A\r\n_BLANK_\r\n\r\n###")

with open(os.path.join(HERE, "..", "data", "LNG", "ConfigScale.ini"), "rb") as f:
    shipped = f.read()
write("config_scale", "shipped", shipped)
write("config_scale", "zero_divisors", "[K_Time_Inj_ms]\r\n0\r\n[K_Time_Pwm_ms]\r\nabc\r\n[K_Timer_Gen_ms]\r\n0,0\r\n[SOGLIE MAPPING]\r\n1|2,3||\r\n")
write("config_scale", "types", "[GasLevel_03]\r\nSensor\r\n3\r\nV\r\n10\r\n20\r\n30\r\n40\r\n1023\r\n0\r\n5,0\r\n1\r\n"
      "[InjType_07]\r\nInj\r\n2,5\r\n1\r\n2\r\n20\r\n1,5\r\nR;P1+0,2\r\n[Lambda_01]\r\nNarrow\r\n1\r\n0,001\r\n0|1|2|3|4|5|6|7|8|9|10\r\n"
      "[GasLevel_100]\r\nx\r\n[InjType_]\r\n")

# The viewer's log reader: a raw log (the answer in growing pieces), a bad checksum, the
# constants past the head, and the start of a recorded drive's view file.
data85 = bytes((i * 13) & 0xFF for i in range(85))
b1hex = answer(12, 0, data85).hex().upper()
raw = ('"1000 O  Software ver. 01.01.03 Gas ECU Workbench 10/12/2026"\r\n"[K_gm]"\r\n 7500000 \r\n'
       '"[K_Lambda]"\r\n 0,002 \r\n"CMD_READ_MEM1"\r\n"2000 T 4102030C4C"\r\n"2002 C 3"\r\n'
       '"2100 R ' + b1hex[:60] + '"\r\n"2110 R ' + b1hex[:130] + '"\r\n"2120 R ' + b1hex + '"\r\n"2121 C 1"\r\n'
       '"2300 R ' + b1hex[:-2] + '00"\r\n"2400 R ' + b1hex + '0"\r\n"x R ' + b1hex + '"\r\n')
write("view_log", "raw_progressive", raw)
write("view_log", "constants_past_head", '"' + "x" * 1000 + '"\r\n"[K_gm]"\r\n 1 \r\n"3000 R ' + b1hex + '"')
write("view_log", "clean_marker", "a | b | c\r\n\"10 T 4102030C4C\"\r\n\r\n\r\n\"10 T x\"\r\n")
write("osci_config", "defaults", "".join(
    "[%s]\r\n%d\r\n 1 \r\n 0 \r\n 0,5 \r\n" % (c, 255 << (8 * (i % 3)))
    for i, c in enumerate(["T Inj Gas", "T Inj Benz", "Vacuum", "Press", "Lambda", "Rpm", "Temp Inj", "Temp Gas"])))
write("osci_config", "unknown_block", "[SecDiv]\r\n7,5\r\n[ChannelSel]\r\n3\r\n[Speed]\r\n255\r\n 9 \r\n[Rpm]\r\n65535\r\n"
      " 3 \r\n 1,5 \r\n 0,002 \r\n[LastPath]\r\n/x\r\n[Lambda]\r\n255\r\nabc\r\n")
