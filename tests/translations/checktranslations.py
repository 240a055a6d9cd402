#!/usr/bin/env python3
"""Fails when a .ts file is not complete for the current sources: lupdate is run on a copy,
so texts added to the sources show up as unfinished and texts gone from them as vanished.
Every translation must also keep the placeholders (%1, %2...) of its source, and a
keyboard accelerator when the source has one.

usage: checktranslations.py LUPDATE SOURCE_DIR TS_FILE... -- SOURCE_SUBDIR..."""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def accelerators(text):
    # "&&" is a literal ampersand, not an accelerator.
    return len(re.findall(r"&(?!&)\S", text.replace("&&", "")))


def problems(ts_path):
    found = []
    for context in ElementTree.parse(ts_path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            where = f"{ts_path.name}: [{name}] {source!r}"
            kind = translation.get("type")
            if kind in ("unfinished", "vanished", "obsolete"):
                found.append(f"{where}: {kind}")
                continue
            text = translation.text or ""
            if not text:
                found.append(f"{where}: empty translation")
                continue
            if sorted(set(re.findall(r"%\d", source))) != sorted(set(re.findall(r"%\d", text))):
                found.append(f"{where}: placeholders differ in {text!r}")
            if accelerators(source) != accelerators(text):
                found.append(f"{where}: accelerators differ in {text!r}")
    return found


def main(arguments):
    separator = arguments.index("--")
    lupdate, source_dir, *ts_files = arguments[:separator]
    subdirs = arguments[separator + 1:]
    failures = []
    with tempfile.TemporaryDirectory() as temporary:
        for ts_file in map(Path, ts_files):
            copy = Path(temporary) / ts_file.name
            shutil.copyfile(ts_file, copy)
            subprocess.run([lupdate, "-silent", "-locations", "none", *subdirs, "-ts", str(copy)],
                           cwd=source_dir, check=True)
            failures += problems(copy)
    for failure in failures:
        print(failure)
    if failures:
        print(f"{len(failures)} problem(s); run the shareward_lupdate target and translate")
        return 1
    print(f"{len(ts_files)} translation file(s) complete")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
