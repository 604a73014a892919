#!/usr/bin/env python3
"""Puts the types of a type library in a given order.

widl adds a type to the library the moment an interface member refers to it,
right behind that interface, whatever the order of the IDL; a client that
walks the library by index (ITypeLib::GetTypeInfo) sees that order. This
rewrites the library (the MSFT format that widl writes and LoadTypeLib reads)
with its types in the order named: each type's record moves to its new place
and every reference to a record, by its offset or its index, follows it.
Nothing else changes. The names must be exactly the library's types.

usage: order_typelib.py IN OUT NAME...
"""
import struct
import sys

RECORD = 100  # size of one type's record in the type-info segment
SEG_TYPEINFO, SEG_REF, SEG_GUID, SEG_NAME, SEG_TYPEDESC = 0, 3, 5, 7, 9
TKIND_INTERFACE, TKIND_DISPATCH = 3, 4
VT_USERDEFINED = 0x1D


def fail(message):
    sys.exit("order_typelib: " + message)


def get(data, at):
    return struct.unpack_from("<i", data, at)[0]


def put(data, at, value):
    struct.pack_into("<i", data, at, value)


def reorder(data, order):
    if data[:4] != b"MSFT":
        fail("not a type library of the MSFT format")
    count = get(data, 0x20)
    offsets_at = 0x54 + (4 if get(data, 0x14) & 0x100 else 0)  # a help DLL's name comes first
    segdir_at = offsets_at + 4 * count

    def segment(k):
        return get(data, segdir_at + 16 * k), get(data, segdir_at + 16 * k + 4)

    ti_at, ti_len = segment(SEG_TYPEINFO)
    if ti_len != count * RECORD or any(get(data, offsets_at + 4 * i) != i * RECORD for i in range(count)):
        fail("the type records are not stored one after the other")
    name_at, name_len = segment(SEG_NAME)

    def name_of(i):
        at = name_at + get(data, ti_at + i * RECORD + 0x34)
        return data[at + 12:at + 12 + data[at + 8]].decode("ascii")

    names = [name_of(i) for i in range(count)]
    if sorted(names) != sorted(order):
        fail("the library holds %s, the order names %s" % (" ".join(names), " ".join(order)))
    new_index = [order.index(n) for n in names]

    def moved(href):
        """A reference into the type records (low bits 00) follows its record;
        one into an imported library (low bits 01 or 10) stays."""
        if href < 0 or href & 3:
            return href
        if href % RECORD or href >= count * RECORD:
            fail("a reference %d to no type record" % href)
        return new_index[href // RECORD] * RECORD

    records = []
    guid_at, _ = segment(SEG_GUID)
    for old in range(count):
        rec = bytearray(data[ti_at + old * RECORD:ti_at + (old + 1) * RECORD])
        kind = get(rec, 0)
        if kind >> 16 != old:
            fail("record %d carries index %d" % (old, kind >> 16))
        put(rec, 0, (new_index[old] << 16) | (kind & 0xFFFF))
        if kind & 0xF in (TKIND_INTERFACE, TKIND_DISPATCH):
            put(rec, 0x54, moved(get(rec, 0x54)))  # the inherited interface
        guid = get(rec, 0x2C)
        if guid >= 0:
            if get(data, guid_at + guid + 16) != old * RECORD:
                fail("the GUID of %s names another type" % names[old])
            put(data, guid_at + guid + 16, new_index[old] * RECORD)
        records.append(rec)
    for old in range(count):
        data[ti_at + new_index[old] * RECORD:ti_at + (new_index[old] + 1) * RECORD] = records[old]

    # Each name knows the first type it names or that holds it as a member.
    at = 0
    while at < name_len:
        put(data, name_at + at, moved(get(data, name_at + at)))
        at += 8 + ((data[name_at + at + 8] + 7) & ~3)
    if at != name_len:
        fail("the name table does not end with its last name")

    td_at, td_len = segment(SEG_TYPEDESC)
    for at in range(td_at, td_at + td_len, 8):
        if get(data, at) & 0xFFFF == VT_USERDEFINED:
            put(data, at + 4, moved(get(data, at + 4)))

    ref_at, ref_len = segment(SEG_REF)  # a coclass's interfaces, an interface's base
    for at in range(ref_at, ref_at + ref_len, 16):
        put(data, at, moved(get(data, at)))

    put(data, 0x4C, moved(get(data, 0x4C)))  # IDispatch, when this library holds it

    if [name_of(i) for i in range(count)] != order:
        fail("the types did not come out in the order named")


def main(argv):
    if len(argv) < 4:
        fail("usage: order_typelib.py IN OUT NAME...")
    with open(argv[1], "rb") as f:
        data = bytearray(f.read())
    try:
        reorder(data, argv[3:])
    except (struct.error, IndexError, UnicodeDecodeError):
        fail("%s is cut short or damaged" % argv[1])
    with open(argv[2], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
