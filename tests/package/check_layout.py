#!/usr/bin/env python3
"""check_layout.py DIST: the package folder has the layout setup expects."""
import os
import sys

NEEDED_FILES = ["setup.exe", "Files/vorel12a.exe", "Files/vorel12.htm", "Uninst/vorel12u.exe"]
NEEDED_DIRS = ["Files", "Kernel", "Uninst"]


def main():
    dist = sys.argv[1]
    problems = [f + " missing" for f in NEEDED_FILES if not os.path.isfile(os.path.join(dist, f))]
    problems += [d + "/ missing" for d in NEEDED_DIRS if not os.path.isdir(os.path.join(dist, d))]
    page = os.path.join(dist, "Files/vorel12.htm")
    if os.path.isfile(page):
        text = open(page, encoding="cp1252").read()
        for word in ("Power", "Sleep", "-s", "-d", "-h", "Uninstall", "menu"):
            if word not in text:
                problems.append("help page does not mention %s" % word)
    for p in problems:
        print(p)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
