#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target: usage make-seeds.py SOURCE_DIR OUT_DIR.

Seeds come from the installation data (language files, configuration, example templates
and their word-processor templates), the test fixtures and a few hand-made inputs. Where
a target reads choice bytes before its data, the seeds carry them in front."""
import pathlib
import sys
import zipfile

source = pathlib.Path(sys.argv[1])
out = pathlib.Path(sys.argv[2])
data = source / "data"
examples = data / "Examples"


def write(target, name, content):
    folder = out / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(content if isinstance(content, bytes) else content.encode("latin-1"))


def xml_parts(package):
    """The XML parts of a package, in the order the engine lists them."""
    with zipfile.ZipFile(package) as z:
        return [(n, z.read(n)) for n in z.namelist() if len(n) > 4 and n.endswith((".xml", ".rels"))]


xml_files = sorted(data.glob("*.SPR")) + [data / "KONFIGURATION.XML"] + sorted(examples.glob("*.TXL"))
xml_files += [source / "tests" / "data" / "sample.xml"]
packages = sorted(examples.glob("*.dotx")) + sorted(examples.glob("*.ott"))

# The XML parser: every XML file of the program and every XML part of the templates.
for f in xml_files:
    write("xparser", f.name, f.read_bytes())
for p in packages:
    for n, content in xml_parts(p):
        write("xparser", f"{p.stem}-{p.suffix[1:]}-{n.replace('/', '_')}", content)

# Templates and document data: locale byte, kind byte (0 template, 1 document data), file.
for i, f in enumerate(sorted(examples.glob("*.TXL"))):
    write("dokument", f.name, bytes([i % 4, i % 2]) + f.read_bytes())

for f in sorted(data.glob("*.SPR")):
    write("sprache", f.name, f.read_bytes())
write("konfig", "KONFIGURATION.XML", (data / "KONFIGURATION.XML").read_bytes())

# The engine on whole packages: name byte (0 .dotx, 3 .ott), answer byte, package.
for i, p in enumerate(packages + sorted(examples.glob("*.dot"))):
    write("word_paket", p.name, bytes([3 if p.suffix == ".ott" else 0, i]) + p.read_bytes())
# One part replaced: template byte (0 Invoice.dotx, 1 Invoice.ott), part byte, answer byte.
for t, name in enumerate(["Invoice.dotx", "Invoice.ott"]):
    for i, (n, content) in enumerate(xml_parts(examples / name)):
        write("word_teil", f"{name}-{n.replace('/', '_')}", bytes([t, i, i]) + content)

# Dates and times: locale byte (0 German, 1 US, 2 C, 3 odd), pattern NUL text [NUL value].
dates = [
    (0, "dd.mm.yyyy", "24.12.2026"), (0, "d.m.yy", "1.2.26"), (1, "m/d/yyyy h:nn ampm", "12/31/1999 11:59 PM"),
    (0, "dddd, d. mmmm yyyy", "Freitag, 11. Dezember 2026"), (1, "mmm d, yyyy", "Dec 11, 2026"),
    (0, "hh:nn:ss.zzz", "23:59:59.999"), (1, "h:nn a/p", "5:00 a"), (2, "c", "12/11/2026 00:00:00"),
    (3, "yyyy-mm-dd", "2026-12-11"), (0, "ddddd", "11.12.2026"), (1, "tt", "5:30:00 PM"),
    (0, "'Tag' d \"im\" mmmm", "Tag 3 im Mai"), (2, "yyyymmdd", "20261211"), (3, "h.nn ampm", "1.05 nachm"),
]
for i, (locale, pattern, text) in enumerate(dates):
    write("datumzeit", f"seed{i:02}", bytes([locale]) + pattern.encode("latin-1") + b"\0" + text.encode("latin-1"))
write("datumzeit", "value", bytes([1]) + b"dd.mm.yyyy hh:nn\0\0" + bytes([0, 0, 0, 0, 0xC0, 0x5C, 0xE6, 0x40]))

for i in range(8):
    write("datum_rundreise", f"seed{i}", bytes((i * 37 + k * 11) % 256 for k in range(24)))

csv = [
    "ID,Name,Datum\r\n1,Anna,24.12.2026\r\n",
    "\ufeffName,Notiz\r\n\"Meier, Jörg\",\"Zeile 1\r\nZeile 2\"\r\n",
    "a,\"b \"\"c\"\"\",d\n\ne\rf",
    "\"unclosed\r\n",
    "x,\"q\"y\r\n",
]
for i, text in enumerate(csv):
    write("csv_leser", f"seed{i}", text.encode("utf-8"))
