#!/usr/bin/env python3
"""Readers that are not ours read quillbook's exports back: Python's csv module the csv and anki
text files, the KDE vocabulary library the KVTML file. Usage: interop_test.py QUILLBOOK KVTML_READER"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile
import unittest

QUILLBOOK, KVTML_READER = sys.argv[1], sys.argv[2]

PAIRS = [
    ("plain", "word"),
    ('say "hello"', 'a "quoted" meaning'),
    ("tab\tinside", "comma, inside"),
    ("#hash first", "# and here"),
    ("  leading and trailing  ", " blanks "),
    ("Ελληνικά", "Русский язык"),
    ("日本語", "עברית"),
    ("emoji 😀", "𝄞 music"),
    ("semi;colon|pipe", ""),
    ("", "a meaning without a word"),
]


def export(folder, fmt, *options):
    out = os.path.join(folder, "out." + fmt)
    done = subprocess.run([QUILLBOOK, "export", fmt, folder, "-o", out, *options],
                          capture_output=True, env={**os.environ, "QT_QPA_PLATFORM": ""})
    if done.returncode != 0:
        raise AssertionError(done.stderr.decode())
    return out


class ForeignReaders(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.folder = self.temp.name
        for name, side in (("Phrase.log", 0), ("Mean.log", 1)):
            with open(os.path.join(self.folder, name), "wb") as f:
                f.write(b"".join(p[side].encode() + b"\r\n" for p in PAIRS))

    def tearDown(self):
        self.temp.cleanup()

    def test_csv_readsBackFieldForField(self):
        for options, encoding in (((), "utf-8"), (("--bom",), "utf-8-sig")):
            with open(export(self.folder, "csv", *options), newline="", encoding=encoding) as f:
                rows = list(csv.reader(f))
            self.assertEqual(rows[0], ["Word", "Meaning"])
            self.assertEqual([tuple(r) for r in rows[1:]], PAIRS)

    def test_anki_readsBackFieldForFieldAfterTheHeaderLines(self):
        with open(export(self.folder, "anki"), newline="", encoding="utf-8") as f:
            lines = f.read().split("\n")
        self.assertEqual(lines[:3], ["#separator:tab", "#html:false", "#columns:Front\tBack"])
        rows = list(csv.reader(io.StringIO("\n".join(lines[3:])), delimiter="\t"))
        self.assertEqual([tuple(r) for r in rows], PAIRS)

    def test_kvtml_kdeLibraryFindsEveryPair(self):
        done = subprocess.run([KVTML_READER, export(self.folder, "kvtml", "--locales=en,de")],
                              capture_output=True, check=True)
        found = json.loads(done.stdout)
        self.assertEqual(found["identifiers"], 2)
        self.assertEqual(found["title"], os.path.basename(self.folder))
        # The library simplifies blanks in every text it reads; the file holds them as they are.
        simplified = [tuple(" ".join(side.split()) for side in p) for p in PAIRS]
        self.assertEqual([tuple(p) for p in found["pairs"]], simplified)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
