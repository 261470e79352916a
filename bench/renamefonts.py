#!/usr/bin/python3
# Copies font files under family names of their own, for the font farm's huge scale: each copy
# is a real font file whose name table names another family ("Lato" becomes "Lato Copie 2"),
# so that fontconfig, Qt and a PDF file see as many families as there are copies.
#
#   renamefonts.py TARGET COPIES FILE...
#
# Writes, for each file and each n from 2 to COPIES + 1, TARGET/<n>/<name of the file>. Only
# TrueType and OpenType files (.ttf, .otf) are copied; others are left out. Tables other than
# the name table are copied as they are, unread. A file already written is kept.
import os
import sys

from fontTools.ttLib import TTFont

FAMILY_IDS = (1, 16, 21)  # family, typographic family, WWS family


def rename(source, target, suffix):
    font = TTFont(source, lazy=True, recalcBBoxes=False, recalcTimestamp=False)
    names = font["name"]
    families = {r.toUnicode() for r in names.names if r.nameID in FAMILY_IDS}
    for record in names.names:
        try:
            text = record.toUnicode()
        except UnicodeDecodeError:
            continue
        if record.nameID in FAMILY_IDS:
            text += suffix
        elif record.nameID in (3, 4):
            # The full name begins with the family; the unique name only has to differ.
            family = next((f for f in sorted(families, key=len, reverse=True)
                           if text.startswith(f)), None)
            text = family + suffix + text[len(family):] if family else text + suffix
        elif record.nameID == 6:
            base, dash, style = text.partition("-")
            text = base + suffix.replace(" ", "") + dash + style
        else:
            continue
        record.string = text
    font.save(target)


def main():
    target, copies, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    for path in files:
        if not path.lower().endswith((".ttf", ".otf")):
            continue
        for n in range(2, copies + 2):
            folder = os.path.join(target, str(n))
            out = os.path.join(folder, os.path.basename(path))
            if os.path.exists(out):
                continue
            os.makedirs(folder, exist_ok=True)
            try:
                rename(path, out + ".new", " Copie %d" % n)
                os.replace(out + ".new", out)
            except Exception as error:  # a damaged file is left out, not the whole farm
                print("%s: %s" % (path, error), file=sys.stderr)
                if os.path.exists(out + ".new"):
                    os.remove(out + ".new")


main()
