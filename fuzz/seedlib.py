"""What the seed writers share: the corpus folder, answer frames, the link seeds' separator."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
# Between the answers of one receive-path seed.
SEP = b"\xff\x00\xff"


def write(target, name, data):
    """Writes one seed into corpus/<target>/ (text as latin-1), replacing one of that name."""
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def xor(bs):
    x = 0
    for b in bs:
        x ^= b
    return x


def answer(cmd, status, data=b""):
    """An answer frame: start, address, length, command, status, data, xor of all before."""
    f = bytes([0x42, 0x01, len(data) + 4, cmd, status]) + data
    return f + bytes([xor(f)])
