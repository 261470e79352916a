#!/usr/bin/python3
# Writes a font of its own for a test: the characters of a real font file that a range of code
# points keeps, under a family name of its own, so that fontconfig and Qt see a new family.
# Usage: make-font.py SOURCE TARGET FAMILY FIRST-LAST[,FIRST-LAST...] (hexadecimal code points)
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

source, target, family, ranges = sys.argv[1:5]
unicodes = []
for span in ranges.split(","):
    first, last = span.split("-")
    unicodes.extend(range(int(first, 16), int(last, 16) + 1))

font = TTFont(source)
options = subset.Options()
options.layout_features = ["*"]
options.name_IDs = ["*"]
subsetter = subset.Subsetter(options)
subsetter.populate(unicodes=unicodes)
subsetter.subset(font)

names = font["name"]
for record in list(names.names):
    if record.nameID in (16, 17, 21, 22):
        names.removeNames(nameID=record.nameID)
names.setName(family, 1, 3, 1, 0x409)
names.setName("Regular", 2, 3, 1, 0x409)
names.setName(family, 4, 3, 1, 0x409)
names.setName(family.replace(" ", ""), 6, 3, 1, 0x409)
for record in names.names:
    if record.nameID in (1, 4):
        record.string = family
    elif record.nameID == 6:
        record.string = family.replace(" ", "")
font.save(target)
