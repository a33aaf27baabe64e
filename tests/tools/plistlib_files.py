"""Property-list files made and read by Python's plistlib, for the tests.

  python3 plistlib_files.py make PATH FORM VALUE FROM TO [PATH FORM ...]
      Writes the Python expression VALUE (datetime is at hand) to PATH in
      FORM ("xml" or "binary"), for each group of five arguments. Unless FROM
      is empty, the one occurrence of the text FROM in plistlib's output is
      replaced by TO, for values that plistlib will not write itself.
  python3 plistlib_files.py same A [B ...]
      Exits 0 when plistlib reads the same tree from every file (with one
      file: when plistlib reads it); otherwise prints the trees that differ,
      or why a file cannot be read, and exits 1.
  python3 plistlib_files.py where
      Prints the path of the Python interpreter running it.
"""
import datetime  # noqa: F401  (for the expressions given)
import plistlib
import sys


def make(path, form, value, old, new):
    fmt = plistlib.FMT_XML if form == "xml" else plistlib.FMT_BINARY
    data = plistlib.dumps(eval(value), fmt=fmt, sort_keys=False)
    if old:
        old, new = old.encode("utf-8"), new.encode("utf-8")
        if data.count(old) != 1:
            sys.exit("plistlib_files: %r is not in the output once" % old)
        data = data.replace(old, new)
    with open(path, "wb") as f:
        f.write(data)


def load(path):
    with open(path, "rb") as f:
        return plistlib.load(f)


def same(paths):
    first = load(paths[0])
    for path in paths[1:]:
        other = load(path)
        if other != first:
            print("plistlib reads %r\n  from %s\nbut %r\n  from %s" % (first, paths[0], other, path))
            return 1
    return 0


def main(args):
    if len(args) > 1 and args[0] == "make" and (len(args) - 1) % 5 == 0:
        for at in range(1, len(args), 5):
            make(*args[at:at + 5])
        return 0
    if len(args) > 1 and args[0] == "same":
        return same(args[1:])
    if args == ["where"]:
        print(sys.executable)
        return 0
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
