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


def shown(value):
    try:
        text = repr(value)
    except RecursionError:
        return "a %s nested too deep to show" % type(value).__name__
    return text if len(text) <= 2000 else text[:2000] + "..."


def difference(a, b):
    """Where trees a and b first differ, as a list of keys and indexes from
    the root ([] at the root), or None when they are the same. Values of
    different types differ (True is not 1, 1.0 is not 1). The walk keeps its
    own stack, so trees of any depth compare."""
    stack = [(None, None, a, b)]  # (parent entry, key, one value, the other)
    while stack:
        entry = stack.pop()
        _, _, x, y = entry
        if type(x) is not type(y):
            break
        if isinstance(x, dict):
            if x.keys() != y.keys():
                break
            stack.extend((entry, k, x[k], y[k]) for k in x)
        elif isinstance(x, list):
            if len(x) != len(y):
                break
            stack.extend((entry, i, v, w) for i, (v, w) in enumerate(zip(x, y)))
        elif x != y:
            break
    else:
        return None
    path = []
    while entry[0] is not None:
        path.append(entry[1])
        entry = entry[0]
    return path[::-1]


def same(paths):
    first = load(paths[0])
    for path in paths[1:]:
        other = load(path)
        where = difference(first, other)
        if where is not None:
            at = first
            there = other
            for key in where:
                at, there = at[key], there[key]
            print("plistlib reads %s\n  from %s\nbut %s\n  from %s\nat %s" % (
                shown(at), paths[0], shown(there), path, shown(where)))
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
