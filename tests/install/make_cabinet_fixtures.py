#!/usr/bin/env python3
"""Makes the cabinets the install tests read, and what cabextract unpacks
from them, into one folder of the build tree:

  cabinets/tree.cab        MSZIP, members at the top and in nested folders
  cabinets/stored.cab      the same members, not compressed
  cabinets/multi/          the five-part set of the shared test data, named as
                           its parts name each other
  reference/<cabinet>/     cabextract's extraction of each of them, and of every
                           cabinet the shared test data marks "ok"

gcab writes the cabinets and cabextract unpacks them: neither was written
here, so the tests compare the extractor against both. Without the shared
test data its part is left out; the tests say so when they skip.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys

WORDS = ("deployment component cabinet folder member setup descriptor client "
         "server version registry manifest assembly library extension plug-in "
         "loader archive signature checksum").split()

# Member times: one in winter and one in summer, so both time-zone rules of
# a year are crossed.
TIMES = (1233916934, 1247735722)  # 2009-02-06 10:42:14 and 2009-07-16 09:15:22 UTC


def text(rng, size):
    """Pseudo-random prose: compresses well, but not to nothing."""
    out = ""
    while len(out) < size:
        out += " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 14)))
        out += " %d\r\n" % rng.randint(0, 99999)
    return out[:size].encode("ascii")


def make_tree(root):
    rng = random.Random(20090206)
    members = {
        "readme.txt": text(rng, 700),
        "empty.dat": b"",
        "with space.ini": text(rng, 90),
        "bin\\client.dll": bytes(rng.getrandbits(8) for _ in range(5000)),
        "bin\\big.txt": text(rng, 200000),
        "bin\\nested\\deep\\leaf.txt": text(rng, 33000),
        "Config\\settings.ini": text(rng, 1200),
    }
    for index, (name, data) in enumerate(members.items()):
        path = os.path.join(root, *name.split("\\"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        os.utime(path, (TIMES[index % 2],) * 2)
    return [name.replace("\\", "/") for name in members]


def run(*command, cwd=None):
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def unpack(cabextract, cabinet, folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    run(cabextract, "-q", "-d", folder, cabinet)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--gcab", "--cabextract", "--testdata", "--out"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    shutil.rmtree(out, ignore_errors=True)
    cabinets, reference, source = (os.path.join(out, name)
                                   for name in ("cabinets", "reference", "source"))
    os.makedirs(cabinets)
    os.makedirs(reference)

    names = make_tree(source)
    run(args.gcab, "-c", "-z", os.path.join(cabinets, "tree.cab"), *names, cwd=source)
    run(args.gcab, "-c", os.path.join(cabinets, "stored.cab"), *names, cwd=source)
    for name in ("tree.cab", "stored.cab"):
        unpack(args.cabextract, os.path.join(cabinets, name), os.path.join(reference, name))

    shared = os.path.join(args.testdata, "cabinets")
    expected = os.path.join(shared, "EXPECTED.txt")
    if os.path.isfile(expected):
        with open(expected) as f:
            for line in f:
                fields = line.split()
                if len(fields) == 2 and fields[0] == "ok":
                    unpack(args.cabextract, os.path.join(shared, fields[1]),
                           os.path.join(reference, fields[1]))
        multi = os.path.join(cabinets, "multi")
        os.makedirs(multi)
        for part in range(1, 6):
            shutil.copyfile(os.path.join(shared, "multi_basic_pt%d.cab" % part),
                            os.path.join(multi, "cabd_multi_basic_pt%d.cab" % part))
        unpack(args.cabextract, os.path.join(multi, "cabd_multi_basic_pt1.cab"),
               os.path.join(reference, "multi"))

    with open(os.path.join(out, "stamp"), "w") as f:
        f.write("made\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
