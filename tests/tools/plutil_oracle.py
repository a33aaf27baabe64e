"""Crafted and generated property lists for plutil's tests, and the check of
plutil's output against Python's plistlib as the reference reader.

  python3 plutil_oracle.py cases DIR
      Writes every crafted case file into DIR, one file per name (the names
      the case table in plutil_table.cpp uses), and prints the names.
  python3 plutil_oracle.py seeds DIR
      Writes a small version of every crafted case into DIR (fuzz seeds).
  python3 plutil_oracle.py generate DIR SEED COUNT
      Writes COUNT random files of each form into DIR, the same for the same
      SEED, and prints one line per file: its name, then 1 or 0 for whether
      the XML form and the binary form can hold its tree.
  python3 plutil_oracle.py check MANIFEST
      Each line of MANIFEST is INPUT, OUTPUT and LIBPLIST separated by tabs:
      a file, what plutil converted it to, and libplist's reading of the
      output (libplist_dump's text) or "-". Prints every line whose output is
      not the input's tree and exits 1 when there is one.

The reference tree is plistlib's, with three additions that plistlib lacks:
binary dates are kept as their exact seconds (plistlib rounds them to
microseconds and fails outside the years 1 to 9999), a dict read from XML
whose one entry is "CF$UID" with an integer of 32 bits is the UID it stands
for, and the store's <double> element reads as <real>. A file that this
reader refuses has no reference tree: plutil must refuse it too.
"""
import datetime
import functools
import math
import os
import plistlib
import random
import struct
import sys
import threading

EPOCH = datetime.datetime(2001, 1, 1)
UID_LIMIT = 1 << 32  # the largest UID an XML CF$UID dict stands for, plus one
CANONICAL_NAN = "7ff8000000000000"
XML_FORBIDDEN = {chr(c) for c in range(32) if c not in (9, 10, 13)} | {"\ufffe", "\uffff"}


# --- the reference reader ---------------------------------------------------

class ExactDate:
    """A date as seconds since 2001-01-01 00:00:00 UTC, exactly."""

    def __init__(self, seconds):
        self.seconds = seconds

    def __repr__(self):
        return "ExactDate(%r)" % self.seconds


class _ExactSeconds:
    """Stands in for datetime.timedelta in plistlib's binary reader, whose
    date is datetime(2001, 1, 1) + timedelta(seconds=f): the sum is the
    exact date."""

    def __init__(self, seconds):
        self.seconds = seconds

    def __radd__(self, epoch):
        return ExactDate(self.seconds)


class _DatesKeptExact:
    datetime = datetime.datetime
    timedelta = _ExactSeconds


plistlib._PlistParser.end_double = plistlib._PlistParser.end_real


class Unreadable(Exception):
    pass


def read(data):
    """(tree, form) as the reference reader sees the bytes; Unreadable when
    it refuses them."""
    form = "binary" if data[:8] == b"bplist00" else "xml"
    plistlib.datetime = _DatesKeptExact
    try:
        tree = plistlib.loads(data, fmt=plistlib.FMT_BINARY if form == "binary" else plistlib.FMT_XML)
    except Exception as e:  # plistlib raises many kinds for a bad file
        raise Unreadable("%s: %s" % (type(e).__name__, e))
    finally:
        plistlib.datetime = datetime
    if tree is None:
        raise Unreadable("no value")
    return tree, form


def _seconds(date):
    if isinstance(date, ExactDate):
        return date.seconds
    delta = date - EPOCH
    return float(delta.days * 86400 + delta.seconds) + delta.microseconds / 1e6


def _bits(x):
    return struct.pack(">d", x).hex()


def _is_uid_dict(value, form):
    if form != "xml" or not isinstance(value, dict) or list(value) != ["CF$UID"]:
        return False
    n = value["CF$UID"]
    return isinstance(n, int) and not isinstance(n, bool) and 0 <= n < UID_LIMIT


class U64:
    """libplist's integer: 64 bits, no sign."""

    def __init__(self, value):
        self.value = value


class Digest:
    """Large data as libplist_dump prints it: its size and FNV-1a hash."""

    def __init__(self, size, fnv):
        self.size, self.fnv = size, fnv


@functools.lru_cache(maxsize=64)  # a shared data object is compared at every place
def fnv1a(data):
    h = 0xcbf29ce484222325
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return h


def _kind(value, form):
    if isinstance(value, bool):
        return "boolean"
    if isinstance(value, (int, U64)):
        return "integer"
    if isinstance(value, float):
        return "real"
    if isinstance(value, str):
        return "string"
    if isinstance(value, (bytes, Digest)):
        return "data"
    if isinstance(value, (datetime.datetime, ExactDate)):
        return "date"
    if isinstance(value, plistlib.UID) or _is_uid_dict(value, form):
        return "uid"
    if isinstance(value, dict):
        return "dict"
    if isinstance(value, list):
        return "array"
    return type(value).__name__


class Differ:
    """Compares two trees, each read from its form; shared and repeated
    subtrees are compared once per pair, and a cycle is a difference."""

    def __init__(self, form_a, form_b):
        self.forms = (form_a, form_b)
        self.done = set()
        self.path = set()

    def diff(self, a, b, where="root"):
        ka, kb = _kind(a, self.forms[0]), _kind(b, self.forms[1])
        if ka != kb:
            return "%s: %s %r against %s %r" % (where, ka, _short(a), kb, _short(b))
        if ka in ("dict", "array"):
            pair = (id(a), id(b))
            if pair in self.done:
                return None
            if id(a) in self.path or id(b) in self.path:
                return "%s: a container holds itself" % where
            self.path.update(pair)
            found = self._diff_dict(a, b, where) if ka == "dict" else self._diff_array(a, b, where)
            self.path.difference_update(pair)
            self.done.add(pair)
            return found
        if not _same_leaf(ka, a, b):
            return "%s: %r against %r" % (where, _short(a), _short(b))
        return None

    def _diff_array(self, a, b, where):
        if len(a) != len(b):
            return "%s: %d items against %d" % (where, len(a), len(b))
        for i, (x, y) in enumerate(zip(a, b)):
            found = self.diff(x, y, "%s[%d]" % (where, i))
            if found:
                return found
        return None

    def _diff_dict(self, a, b, where):
        if any(not isinstance(k, str) for k in list(a) + list(b)):
            return "%s: a key that is not a string" % where
        if set(a) != set(b):
            return "%s: keys %r against %r" % (where, sorted(a), sorted(b))
        for k in a:
            found = self.diff(a[k], b[k], "%s[%r]" % (where, k))
            if found:
                return found
        return None


def _uid_value(v):
    return v.data if isinstance(v, plistlib.UID) else v["CF$UID"]


def _same_leaf(kind, a, b):
    if kind == "integer":
        if isinstance(b, U64):
            return a % (1 << 64) == b.value
        return a == b
    if kind == "real":
        return _bits(a) == _bits(b)
    if kind == "date":  # to the bit: -0.0 is not +0.0
        return _bits(_seconds(a)) == _bits(_seconds(b))
    if kind == "uid":
        return _uid_value(a) == _uid_value(b)
    if kind == "data" and isinstance(b, Digest):
        return len(a) == b.size and fnv1a(a) == b.fnv
    return a == b


def _short(v):
    if isinstance(v, float):
        return "%r (bits %s)" % (v, _bits(v))
    if isinstance(v, (dict, list)):
        return "%s of %d" % (type(v).__name__, len(v))
    text = repr(v)
    return text if len(text) < 80 else text[:77] + "..."


# --- libplist_dump's text ---------------------------------------------------

def parse_dump(text):
    """The tree that libplist_dump printed, one token per line."""
    lines = iter(text.splitlines())

    def value():
        kind, _, rest = next(lines).partition(" ")
        if kind == "dict":
            d = {}
            for _ in range(int(rest)):
                key = bytes.fromhex(next(lines).partition(" ")[2]).decode("utf-8")
                d[key] = value()
            return d
        if kind == "array":
            return [value() for _ in range(int(rest))]
        if kind == "string":
            return bytes.fromhex(rest).decode("utf-8", "surrogatepass")
        if kind == "integer":
            return U64(int(rest))
        if kind == "real":
            return struct.unpack(">d", bytes.fromhex(rest))[0]
        if kind == "date":
            return ExactDate(struct.unpack(">d", bytes.fromhex(rest))[0])
        if kind == "boolean":
            return rest == "true"
        if kind == "data":
            return bytes.fromhex(rest)
        if kind == "digest":
            size, fnv = rest.split()
            return Digest(int(size), int(fnv, 16))
        if kind == "uid":
            return plistlib.UID(int(rest))
        raise ValueError("libplist_dump: unknown line %r" % kind)

    return value()


def check_line(line):
    """None when plutil's output holds the input's tree, else why not."""
    source, output, dump = line.split("\t")
    with open(source, "rb") as f:
        try:
            tree_in, form_in = read(f.read())
        except Unreadable as e:
            return "plutil converted a file the reference reader refuses (%s)" % e
    with open(output, "rb") as f:
        try:
            tree_out, form_out = read(f.read())
        except Unreadable as e:
            return "the reference reader refuses plutil's output (%s)" % e
    try:
        found = Differ(form_in, form_out).diff(tree_in, tree_out)
    except RecursionError:
        found = "too deep to compare"
    if found:
        return "plistlib reads another tree from the output: " + found
    if dump != "-":
        with open(dump, "r", encoding="ascii") as f:
            text = f.read()
        if not text.strip():
            return "libplist does not read the output"
        found = Differ(form_in, "binary").diff(tree_in, parse_dump(text))
        if found:
            return "libplist reads another tree from the output: " + found
    return None


def check(manifest):
    failures = 0
    with open(manifest, "r", encoding="utf-8") as f:
        for line in f.read().splitlines():
            found = check_line(line)
            if found:
                failures += 1
                print("%s\n    %s" % (line.split("\t")[1], found))
    return 1 if failures else 0


# --- building files ---------------------------------------------------------

def patch(data, old, new):
    if data.count(old) != 1:
        raise ValueError("%r is not in the file once" % old)
    return data.replace(old, new)


def xml(body, head=b'<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">'):
    return head + body + b"</plist>\n"


def binary(value):
    return plistlib.dumps(value, fmt=plistlib.FMT_BINARY, sort_keys=False)


def _size(n):
    return 1 if n < 1 << 8 else 2 if n < 1 << 16 else 4 if n < 1 << 32 else 8


def bplist(objects, ref_size, top=0, count=None, offset_size=None, offsets=None):
    """A binary property list of the objects' bytes as given, with a trailer
    that may claim another object count or offset width."""
    body = b"bplist00"
    at = []
    for obj in objects:
        at.append(len(body))
        body += obj
    offsets = at if offsets is None else offsets
    width = offset_size or _size(max(offsets + [len(body)]))
    table_at = len(body)
    body += b"".join(o.to_bytes(width, "big") for o in offsets)
    count = len(objects) if count is None else count
    return body + struct.pack(">6xBBQQQ", width, ref_size, count, top, table_at)


def nested_binary_arrays(depth):
    ref = _size(depth + 1)
    objects = [b"\xa1" + (i + 1).to_bytes(ref, "big") for i in range(depth)] + [b"\xa0"]
    return bplist(objects, ref)


def nested_xml_arrays(depth):
    return xml(b"<array>" * depth + b"</array>" * depth)


def real_bits(hex_bits):
    return struct.unpack(">d", bytes.fromhex(hex_bits))[0]


def one_true_many_offsets(count):
    """One object, `true`, under `count` object numbers that all point to it."""
    return bplist([b"\x09"], 1, count=count, offsets=[8] * count)


def lying_trailer(count):
    """A small file whose trailer claims `count` objects."""
    return bplist([b"\x09"], 1, count=count, offset_size=1)


def one_object_under_many_numbers(obj, count, after=()):
    """An array of object numbers 1 to count, which all name one object (and
    after them the objects it refers to, numbered from count + 1)."""
    ref = _size(count + 1 + len(after))
    array = b"\xaf" + b"\x11" + count.to_bytes(2, "big") + \
        b"".join(i.to_bytes(ref, "big") for i in range(1, count + 1))
    at = 8 + len(array)
    offsets = [8] + [at] * count + [at + len(obj) + sum(len(a) for a in after[:i])
                                    for i in range(len(after))]
    return bplist([array, obj] + list(after), ref, count=len(offsets), offsets=offsets)


def data_object(data):
    return b"\x4f\x12" + len(data).to_bytes(4, "big") + data


def offset_outside_the_objects(where):
    """An array holding object 1, whose offset is not an object's: in the
    header, the offset table or the trailer, or past the end of the file. A
    reader that takes it as one finds "false" in the offset table and
    "true" in the trailer (the object count, 9)."""
    root = b"\xa1\x01"  # 8..9; the offset table starts at 10, 1 byte each
    trailer_at = 10 + 9
    offset = {"header": 0, "table": 10, "trailer": trailer_at + 15, "end": 200}[where]
    return bplist([root], 1, count=9, offset_size=1, offsets=[8, offset] + [8] * 7)


def shared_subtree_of_levels(levels):
    """An array of two: a chain of 3,000 arrays, and a chain of the levels
    left whose innermost array holds the first chain under another number."""
    shared = 3000
    outer = levels - 1 - shared
    alias = shared + 2 + outer
    ref = _size(alias + 1)
    def array(*refs):
        return bytes([0xa0 | len(refs)]) + b"".join(r.to_bytes(ref, "big") for r in refs)
    objects = [array(1, shared + 2)] + [array(i + 1) for i in range(1, shared + 1)] + [b"\x51x"]
    objects += [array(shared + 3 + i if i + 1 < outer else alias) for i in range(outer)]
    at, offsets = 8, []
    for obj in objects:
        offsets.append(at)
        at += len(obj)
    return bplist(objects, ref, count=alias + 1, offsets=offsets + [offsets[1]])


def overlapping_data(count):
    """An array of count data objects laid over one another: each starts ten
    bytes after the last and reaches the offset table."""
    ref = _size(count + 1)
    array = b"\xaf\x11" + count.to_bytes(2, "big") + \
        b"".join(i.to_bytes(ref, "big") for i in range(1, count + 1))
    heads = b"".join(b"\x4f\x13" + (10 * (count - i - 1)).to_bytes(8, "big") for i in range(count))
    at = 8 + len(array)
    return bplist([array, heads], ref, count=count + 1,
                  offsets=[8] + [at + 10 * i for i in range(count)])


def cases(scale):
    """Every crafted case by name; scale 1 for the table, small for seeds."""
    big = scale == 1
    items = 100000 if big else 300
    breaks = 1000000 if big else 2000
    mib = (bytes(range(256)) * 4096) if big else bytes(range(256)) * 4
    shares = 1000 if big else 20
    aliased = 700 if big else 20
    deep = 200000 if big else 5000
    literal_ints = b"<array><integer>010</integer><integer>99999999999999999999</integer>" \
                   b"<integer>12abc</integer></array>"
    odd = b'<?>\n<plist version="1.0">%s</plist>\n<?x?>\n'
    c = {
        # The structure check and libplist once split these differently.
        "MalformedPiAroundIntegers": odd % literal_ints,
        "IntegerWithLeadingZero": xml(b"<array><integer>010</integer></array>"),
        "IntegerPast64Bits": xml(b"<array><integer>99999999999999999999</integer></array>"),
        "IntegerWithLetters": xml(b"<array><integer>12abc</integer></array>"),
        "MalformedPiAndDateAfterTheRoot":
            odd % b"<dict><key>d</key><date>2001-01-01T00:00:00Z</date></dict>" +
            b"<date>2050-06-01T12:00:00Z</date>\n",
        "SecondValueInsidePlist":
            xml(b"<dict><key>d</key><date>2001-01-01T00:00:00Z</date></dict>"
                b"<date>2050-06-01T12:00:00Z</date>"),
        "ElementAfterPlist":
            xml(b"<dict><key>d</key><date>2001-01-01T00:00:00Z</date></dict>") +
            b"<date>2050-06-01T12:00:00Z</date>\n",
        "MalformedPiAroundDeepArrays": odd % (b"<array>" * deep + b"</array>" * deep),
        "DeepXmlArrays": nested_xml_arrays(deep),
        "DeepBinaryArrays": nested_binary_arrays(deep),
        "XmlArrays512Deep": nested_xml_arrays(512),
        "BinaryArrays512Deep": nested_binary_arrays(512),
        "SingleQuotedAttributes": xml(
            b"<dict><key id='>'>k</key><string id='>'>text</string>"
            b"<key>r</key><real id='>'>1.5</real><key>i</key><integer id='>'>42</integer></dict>",
            head=b"<?xml version='1.0' encoding='UTF-8'?>\n<plist version='1.0'>"),
        # XML's own rules.
        "CdataCommentsAndPis": xml(
            b"<!-- c --><dict><?pi x?><key>a<!-- in -->b</key><string><![CDATA[<&>]]>"
            b"&amp;&#x41;&#66;</string></dict>"),
        "CrLfInXmlText": xml(b"<dict><key>k</key><string>a\r\nb\rc</string></dict>"),
        "EntityDeclaration":
            b'<?xml version="1.0"?>\n<!DOCTYPE plist [<!ENTITY e "x">]>\n'
            b"<plist><string>&e;</string></plist>\n",
        "DoctypeWithInternalSubset":
            b'<?xml version="1.0"?>\n<!DOCTYPE plist [<!ELEMENT plist ANY>]>\n'
            b"<plist><string>x</string></plist>\n",
        "UnknownElement": xml(b"<dict><key>k</key><bogus>1</bogus></dict>"),
        "StoreDoubleElement": xml(b"<dict><key>k</key><double>2.5</double></dict>"),
        # A lone surrogate in UTF-16.
        "LoneHighSurrogateInAString":
            patch(binary({"v": "A\u4e00B"}), b"\x00A\x4e\x00\x00B", b"\x00A\xd8\x00\x00B"),
        "LoneLowSurrogateInAKey":
            patch(binary({"A\u4e00B": 1}), b"\x00A\x4e\x00\x00B", b"\x00A\xdc\x00\x00B"),
        # One large data object under many references.
        "SharedDataManyTimes": binary([mib] * shares),
        # Real texts.
        "RealWithLetters": xml(b"<array><real>1.5abc</real></array>"),
        "RealInHex": xml(b"<array><real>0x10</real></array>"),
        "RealWithComma": xml(b"<array><real>1,5</real></array>"),
        "RealEmpty": xml(b"<array><real></real></array>"),
        "RealOverflow": xml(b"<array><real>1e999</real></array>"),
        "RealTexts": xml(b"<array><real>1.5</real><real>-0.0</real><real>1e308</real>"
                         b"<real>5e-324</real><real>-2.5E-3</real></array>"),
        "XmlNan": xml(b"<array><real>nan</real></array>"),
        # Characters XML 1.0 cannot carry.
        "ControlInAString": binary({"v": "a\x01b"}),
        "ControlInAKey": binary({"k\x1f": "v"}),
        "EscapeCharacter": binary(["\x1b[0m"]),
        "NonCharacterFFFE": binary({"v": "a\ufffeb"}),
        "NonCharacterFFFF": binary({"v": "\uffff"}),
        "TabLfCrInBinary": binary({"v": "\ta\nb\rc\r\n", "k\r": 1}),
        # UIDs and NaNs.
        "BinaryCfUidDict": binary({"CF$UID": 5}),
        "BinaryUid": binary({"u": plistlib.UID(7)}),
        "XmlCfUidDict": xml(b"<dict><key>u</key><dict><key>CF$UID</key><integer>7</integer>"
                            b"</dict></dict>"),
        "NanWithPayload": binary([real_bits("7ff8000000000001")]),
        "NegativeNan": binary([real_bits("fff8000000000000")]),
        "SignalingNan": binary([real_bits("7ff0000000000001")]),
        "CanonicalNan": binary([real_bits(CANONICAL_NAN)]),
        "NegativeZero": binary([-0.0]),
        # Character references in base64.
        "DataWithCharacterReferences": xml(b"<array><data>AAEC&#10;AwQF</data>"
                                           b"<data>AA&#65;=</data></array>"),
        "DataNotBase64": xml(b"<array><data>A</data></array>"),
        # Size.
        "BinaryArrayOfManyItems": binary(list(range(items))),
        "XmlArrayOfManyItems": plistlib.dumps(list(range(items))),
        "XmlManyRawLineBreaks": plistlib.dumps("\n" * breaks),
        "XmlManyLineBreakReferences": xml(b"<string>" + b"&#10;" * breaks + b"</string>"),
        "BinaryManyLineBreaks": binary("\n" * breaks),
        "TrailerClaimsManyObjects": one_true_many_offsets(16000000 if big else 3000),
        "TrailerClaimsMoreThanTheFileHolds": lying_trailer(16000000),
        # Object numbers that name one object, and offsets that name none.
        "AliasedObjectNumbers": one_object_under_many_numbers(data_object(mib), 300 if big else 20),
        "AliasedArraysOfArrays": one_object_under_many_numbers(
            b"\xaf\x11" + aliased.to_bytes(2, "big") +
            (aliased + 1).to_bytes(_size(aliased + 2), "big") * aliased, aliased, after=[b"\x09"]),
        "ObjectOffsetIntoTheHeader": offset_outside_the_objects("header"),
        "ObjectOffsetIntoTheOffsetTable": offset_outside_the_objects("table"),
        "ObjectOffsetIntoTheTrailer": offset_outside_the_objects("trailer"),
        "ObjectOffsetPastTheEnd": offset_outside_the_objects("end"),
        "SharedSubtree4096Levels": shared_subtree_of_levels(4096),
        "SharedSubtree4097Levels": shared_subtree_of_levels(4097),
        "OverlappingDataPastTheBound": overlapping_data(300),
        "XmlRepeatedKey": xml(b"<dict><key>k</key><integer>1</integer><key>j</key><true/>"
                              b"<key>k</key><integer>2</integer></dict>"),
        "NegativeZeroDate": bplist([b"\x33" + struct.pack(">d", -0.0)], 1),
    }
    return c


def write_cases(folder, scale, prefix=""):
    made = cases(scale)
    if not scale:  # seeds whose XML passes plutil's size bound (64 MiB and more)
        made["SharedDataPastTheXmlBound"] = binary([bytes(range(256)) * 256] * 1100)
        made["AliasedDataPastTheXmlBound"] = one_object_under_many_numbers(
            data_object(bytes(range(256)) * 400), 1000)
    for name, data in made.items():
        with open(os.path.join(folder, prefix + name), "wb") as f:
            f.write(data)
        print(prefix + name)
    return 0


# --- the generated set ------------------------------------------------------

class Generator:
    """Random trees of every type and edge, seeded; `binary_only` values
    (which plistlib writes only in binary) are used for the binary form."""

    INTS = [0, 1, -1, 14, 15, 255, 256, -128, 65535, 65536, 2**31 - 1, -2**31, 2**32,
            2**63 - 1, -2**63, 2**63, 2**64 - 1]
    REALS = [0.0, -0.0, 0.1, 1.5, -2.5e-10, 1e308, 5e-324, float("inf"), float("-inf"),
             float("nan"), 3.141592653589793]
    NAN_BITS = ["7ff8000000000001", "fff8000000000000", "7ff4000000000000"]
    TEXTS = ["", "a", "plain text", "x" * 15, "y" * 40, "\u65e5\u672c\u8a9e", "caf\u00e9",
             "\U0001f600 astral", "tab\there", "line\nbreak", "cr\rand\r\nlf", "<&>\"'",
             "]]>", "  spaced  ", "CF$UID"]
    CONTROLS = ["\x00", "\x01", "\x08", "\x0b", "\x1f", "\ufffe", "\uffff"]

    def __init__(self, seed, binary_form):
        self.rng = random.Random(seed)
        self.binary = binary_form
        self.shared = []
        self.budget = 400  # values per file, apart from the many-item arrays

    def text(self):
        r = self.rng
        if r.random() < 0.5:
            s = r.choice(self.TEXTS)
        else:
            s = "".join(r.choice("abcXYZ019 _-\u00e4\u4e2d\U00010348\n\t&<") for _ in range(r.randrange(0, 30)))
        if self.binary and r.random() < 0.04:
            s += r.choice(self.CONTROLS)
        return s

    def leaf(self):
        r = self.rng
        kind = r.randrange(9 if self.binary else 7)
        if kind == 0:
            return self.text()
        if kind == 1:
            return r.choice(self.INTS) if r.random() < 0.6 else r.randrange(-2**63, 2**64)
        if kind == 2:
            return r.choice(self.REALS) if r.random() < 0.6 else r.uniform(-1e6, 1e6)
        if kind == 3:
            return r.random() < 0.5
        if kind == 4:
            return bytes(r.randrange(256) for _ in range(r.choice([0, 1, 2, 3, 14, 15, 16, 100, 700])))
        if kind in (5, 6):
            date = datetime.datetime(r.randrange(1, 10000), r.randrange(1, 13), r.randrange(1, 29),
                                     r.randrange(24), r.randrange(60), r.randrange(60))
            if self.binary and r.random() < 0.1:
                date = date.replace(microsecond=r.randrange(1, 1000000))
            return date
        if kind == 7:
            return plistlib.UID(r.randrange(0, 2**32))
        return real_bits(r.choice(self.NAN_BITS))

    def value(self, depth):
        r = self.rng
        if self.shared and depth < 7 and r.random() < 0.05:
            return r.choice(self.shared)
        self.budget -= 1
        if depth >= 8 or self.budget < 0 or r.random() < 0.55:
            return self.leaf()
        if r.random() < 0.5:
            v = [self.value(depth + 1) for _ in range(r.choice([0, 1, 2, 5, 14, 15, 16, 40]))]
        elif self.binary and r.random() < 0.05:
            v = {"CF$UID": r.randrange(0, 100)}
        else:
            v = {self.text(): self.value(depth + 1) for _ in range(r.choice([0, 1, 3, 15, 20]))}
        if depth == 7 and r.random() < 0.3:  # of leaves only: no blow-up
            self.shared.append(v)
        return v

    def root(self):
        r = self.rng
        if r.random() < 0.1:
            return self.leaf()
        if r.random() < 0.05:  # many objects: references and offsets wider than a byte
            return [self.leaf() for _ in range(r.choice([300, 70000]))]
        return {self.text(): self.value(1) for _ in range(r.randrange(0, 12))}


def holds(value, target, form, seen=None):
    """Whether the target form can hold the tree read from the source form,
    by the rules plutil keeps: no NUL in either form; going to XML none of
    the other characters XML 1.0 cannot carry, no fraction of a second, no
    NaN but XML's own, and no dict of the one key CF$UID unless the XML form
    already reads it as a UID."""
    seen = set() if seen is None else seen
    if isinstance(value, (dict, list)):
        if id(value) in seen:
            return True
        seen.add(id(value))
        if isinstance(value, dict):
            if target == "xml" and list(value) == ["CF$UID"] and not _is_uid_dict(value, form):
                return False
            return all(holds(k, target, form, seen) and holds(v, target, form, seen)
                       for k, v in value.items())
        return all(holds(v, target, form, seen) for v in value)
    if isinstance(value, str):
        return not (set(value) & (XML_FORBIDDEN if target == "xml" else {"\x00"}))
    if target != "xml":
        return True
    if isinstance(value, float):
        return not math.isnan(value) or _bits(value) == CANONICAL_NAN
    if isinstance(value, datetime.datetime):
        return value.microsecond == 0
    return True


def generate(folder, seed, count):
    for n in range(count):
        for form in ("xml", "binary"):
            gen = Generator("%s-%d-%s" % (seed, n, form), form == "binary")
            tree = gen.root()
            name = "gen-%03d.%s" % (n, "bin" if form == "binary" else "xml")
            fmt = plistlib.FMT_BINARY if form == "binary" else plistlib.FMT_XML
            data = plistlib.dumps(tree, fmt=fmt, sort_keys=False)
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            # What plistlib wrote as XML holds what its XML reader reads.
            tree = tree if form == "binary" else read(data)[0]
            print("%s\t%d\t%d" % (name, holds(tree, "xml", form), holds(tree, "binary", form)))
    return 0


def main(args):
    if len(args) == 2 and args[0] == "cases":
        return write_cases(args[1], 1)
    if len(args) == 2 and args[0] == "seeds":
        return write_cases(args[1], 0, "case-")
    if len(args) == 4 and args[0] == "generate":
        return generate(args[1], args[2], int(args[3]))
    if len(args) == 2 and args[0] == "check":
        return check(args[1])
    sys.exit(__doc__)


if __name__ == "__main__":
    # Trees are read and compared recursively: room for some 20,000 levels,
    # and a RecursionError (a refusal) beyond.
    sys.setrecursionlimit(50000)
    threading.stack_size(512 * 1024 * 1024)
    result = []
    worker = threading.Thread(target=lambda: result.append(main(sys.argv[1:])))
    worker.start()
    worker.join()
    sys.exit(result[0] if result else 1)
