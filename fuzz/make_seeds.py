#!/usr/bin/env python3
"""Writes the fuzz seed corpora: valid recorder exchanges, version texts and
hosts files. Run from the repository root after a change of the wire format."""
import pathlib
import struct

LEAD, MAGIC, OK, ADMIN = 4, 0xFCE2, 1, 3
ROOT = pathlib.Path(__file__).parent / "corpus"


def reply(status, value=0, body=b""):
    return struct.pack("<HHHHIIH", LEAD, 0, MAGIC, status, value, len(body), 0) + body


def chunked(link_byte, replies, chunk):
    """The fuzz input: the link byte, then each reply cut into chunks."""
    out = bytes([link_byte])
    for r in replies:
        for i in range(0, len(r), chunk):
            piece = r[i:i + chunk]
            out += bytes([len(piece)]) + piece
        out += b"\x00" * 4  # quiet ticks: the transfer paces on
    return out


def write(corpus, name, data):
    folder = ROOT / corpus
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


version = reply(OK, 0, b"\xaa\xbb\xcc\xdd2.0.60\x00")
network = [version, reply(OK, ADMIN), reply(OK), reply(OK)]
serial = [reply(OK, 20070), reply(OK, ADMIN), reply(OK), reply(OK)]
for chunk in (255, 18, 7, 1):
    write("job_replies", f"network-success-{chunk}", chunked(0, network, chunk))
    write("job_replies", f"serial-success-{chunk}", chunked(1, serial, chunk))
write("job_replies", "network-bad-password", chunked(0, [version, reply(OK, 1)], 255))
write("job_replies", "network-bad-code", chunked(0, network[:3] + [reply(3)], 255))
write("job_replies", "connect-refused", b"\x02")

for i, text in enumerate(["2.0.60", "1.9.99", "2.0.59", "10.0.0", "2", " +2.1", "2.0.60-rc1", ""]):
    write("version_text", f"v{i}", text.encode())

hosts = [
    b"# lmhosts\n10.0.0.1 ALPHA #PRE\n10.0.0.2 \"BETA ONE\"\n",
    b"\t10.0.0.3\tGAMMA\t\r\n#10.0.0.4 DELTA\r\n   \r\n10.0.0.5  EPSILON #DOM:LAB\r\n",
    b"10.0.0.6 \"OPEN QUOTE\n10.0.0.7 \xe4\xf6\xfc\n",
]
for i, content in enumerate(hosts):
    write("hosts_reader", f"hosts{i}", content)

for i, text in enumerate(["Verbindungsaufbau fehlgeschlagen", "aktualisierung erfolgreich beendet",
                          "Update Code ist zu lang", "unbekannt"]):
    write("localize_text", f"t{i}", text.encode())
