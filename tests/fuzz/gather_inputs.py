#!/usr/bin/env python3
"""Gathers the inputs of one fuzz target into one flat folder, the form
libFuzzer and the replay take:

  gather_inputs.py --out DIR SOURCE...

A SOURCE is a file, a folder (every file below it) or a glob pattern. Files
ending in ".hex" hold binary inputs as text: hexadecimal digit pairs, blanks
and line breaks ignored, "#" starting a comment to the end of the line; they
are decoded. A source that names nothing is reported and skipped, so a
missing optional data set does not stop the run; an empty result fails.
"""
import argparse
import glob
import os
import shutil
import sys


def decode_hex(text):
    digits = "".join(line.split("#", 1)[0] for line in text.splitlines())
    return bytes.fromhex("".join(digits.split()))


def files_of(source):
    if os.path.isdir(source):
        for folder, _, names in sorted(os.walk(source)):
            for name in sorted(names):
                yield os.path.join(folder, name)
    elif os.path.isfile(source):
        yield source
    else:
        for match in sorted(glob.glob(source)):
            yield from files_of(match)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", required=True)
    parser.add_argument("--max-size", type=int, default=1 << 20,
                        help="leave out larger files (default 1 MiB)")
    parser.add_argument("sources", nargs="+")
    args = parser.parse_args()

    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    taken = set()
    for source in args.sources:
        found = list(files_of(source))
        if not found:
            print("gather_inputs: nothing at %s, skipped" % source)
        for path in found:
            if os.path.getsize(path) > args.max_size:
                continue
            name = os.path.basename(path)
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith(".hex"):
                data = decode_hex(data.decode("ascii"))
                name = name[:-4]
            # Names stay readable in failure reports; clashes get a number.
            unique, number = name, 1
            while unique in taken:
                number += 1
                unique = "%s.%d" % (name, number)
            taken.add(unique)
            with open(os.path.join(args.out, unique), "wb") as f:
                f.write(data)
    print("gather_inputs: %d inputs in %s" % (len(taken), args.out))
    return 0 if taken else 1


if __name__ == "__main__":
    sys.exit(main())
