#!/usr/bin/env python3
"""Writes the stored descriptions of the Linkor control that the tests load.

Each file is built here from a table of (name, kind, value), with an encoder
of its own, so the tests never compare the control's writer with itself.
Usage: make_golden.py OUTPUT_DIR
"""
import os
import struct
import sys

# The form's properties as the monitor stores them, in their order.
FORM = [
    ("Left", "int", 496),
    ("Top", "int", 345),
    ("Width", "int", 39),
    ("Height", "int", 38),
    ("HorzScrollBar.Color", "ident", "clGreen"),
    ("HorzScrollBar.ParentColor", "bool", False),
    ("AutoSize", "bool", True),
    ("AxBorderStyle", "ident", "afbRaised"),
    ("Caption", "str", "LinkorCtrl"),
    ("Color", "ident", "clGreen"),
    ("Font.Charset", "ident", "DEFAULT_CHARSET"),
    ("Font.Color", "ident", "clWindowText"),
    ("Font.Height", "int", -10),
    ("Font.Name", "str", "MS Sans Serif"),
    ("Font.Style", "set", []),
    ("OldCreateOrder", "bool", False),
    ("PixelsPerInch", "int", 96),
    ("TextHeight", "int", 13),
]

# The twenty engine values of the monitor's stream.
ENGINE = [
    ("PlayFileName", "str", ".\\player.wav"),
    ("RecFileName", "str", ".\\recorder.wav"),
    ("VoiceMailRecordFormat", "int", 0),
    ("VoiceMailPlayFormat", "int", 0),
    ("SpeakerBuffer", "int", 3),
    ("PhoneConversation", "bool", False),
    ("AnalogCallsListen", "bool", True),
    ("ListenAllCalls", "bool", True),
    ("AcceptPhoneCall", "bool", False),
    ("UpdateClock", "bool", True),
    ("CapiDLL", "str", "capi2032.dll"),
    ("MaxLogicalConnections", "str", "1"),
    ("OriginatorNumber", "str", "012345678"),
    ("DestinationNumber", "str", "012345678"),
    ("CalledPartyNumberByte0", "int", 128),
    ("CallingPartyNumberByte0", "int", 0),
    ("CallingPartyNumberByte1", "int", 128),
    ("NumberDataBuffers", "int", 7),
    ("AudioFormat", "int", 0),
    ("ClearCall", "bool", False),
]


def short(s):
    b = s.encode("cp1250")
    assert len(b) <= 255
    return bytes([len(b)]) + b


def value(kind, v):
    if kind == "int":
        if -128 <= v <= 127:
            return b"\x02" + struct.pack("<b", v)
        if -32768 <= v <= 32767:
            return b"\x03" + struct.pack("<h", v)
        return b"\x04" + struct.pack("<i", v)
    if kind == "int32":  # an integer written wider than it needs
        return b"\x04" + struct.pack("<i", v)
    if kind == "int16":
        return b"\x03" + struct.pack("<h", v)
    if kind == "str":
        return b"\x06" + short(v)
    if kind == "lstr":
        b = v.encode("cp1250")
        return b"\x0c" + struct.pack("<I", len(b)) + b
    if kind == "ident":
        return b"\x07" + short(v)
    if kind == "bool":
        return b"\x09" if v else b"\x08"
    if kind == "set":
        return b"\x0b" + b"".join(short(n) for n in v) + b"\x00"
    raise ValueError(kind)


def stream(props, cls="TLinkorCtrl", obj="LinkorCtrl"):
    out = b"TPF0" + short(cls) + short(obj)
    for name, kind, v in props:
        out += short(name) + value(kind, v)
    return out + b"\x00\x00"


def replaced(table, name, kind, v):
    return [(n, kind, v) if n == name else (n, k, x) for n, k, x in table]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    long_name = "".join(chr(ord("a") + i % 26) for i in range(300))
    files = {
        # What the monitor keeps in its main window's description.
        "monitor.bin": stream(FORM + ENGINE),
        # Every value away from its default, mixing tag widths.
        "changed.bin": stream(FORM + [
            ("PlayFileName", "str", "C:\\hlas\\prehraj.wav"),
            ("RecFileName", "str", "C:\\hlas\\nahraj.snd"),
            ("VoiceMailRecordFormat", "int", 2),
            ("VoiceMailPlayFormat", "int32", 1),
            ("SpeakerBuffer", "int16", 5),
            ("PhoneConversation", "bool", True),
            ("AnalogCallsListen", "bool", False),
            ("ListenAllCalls", "bool", False),
            ("AcceptPhoneCall", "bool", True),
            ("UpdateClock", "bool", False),
            ("CapiDLL", "str", "mycapi.dll"),
            ("MaxLogicalConnections", "str", "3"),
            ("OriginatorNumber", "str", "0905111222"),
            ("DestinationNumber", "str", "0255667788"),
            ("CalledPartyNumberByte0", "int", 0x91),
            ("CallingPartyNumberByte0", "int", 0x21),
            ("CallingPartyNumberByte1", "int", 0x83),
            ("NumberDataBuffers", "int32", 12),
            ("AudioFormat", "int", 1),
            ("ClearCall", "bool", True),
        ]),
        # Out-of-range numbers that load as the fixed fallback members.
        "fallbacks.bin": stream(FORM + [
            ("VoiceMailRecordFormat", "int", 7),
            ("VoiceMailPlayFormat", "int", 9),
            ("SpeakerBuffer", "int", 9),
            ("CalledPartyNumberByte0", "int", 0x1FF),
            ("CallingPartyNumberByte1", "int32", 0x12345),
            ("NumberDataBuffers", "int32", 0x10005),
            ("AudioFormat", "int", 2),
        ]),
        "audio5.bin": stream(FORM + [("AudioFormat", "int", 5)]),
        # Texts longer than the engine holds, as long strings.
        "longtexts.bin": stream(FORM + [
            ("PlayFileName", "lstr", long_name),
            ("OriginatorNumber", "lstr", "1" * 300),
        ]),
        # A name that neither the form nor the control knows, after a value
        # that is already applied.
        "unknown.bin": stream(FORM + [("ClearCall", "bool", True), ("Volume", "int", 3)]),
        # A text where an integer belongs.
        "wrongkind.bin": stream(FORM + [("SpeakerBuffer", "str", "3")]),
        # A MaxLogicalConnections that is no number: values before it are
        # applied, the one after it is not.
        "badmaxlc.bin": stream(FORM + [
            ("UpdateClock", "bool", False),
            ("MaxLogicalConnections", "str", "abc"),
            ("ClearCall", "bool", True),
        ]),
        # Only the form: a control with fewer values.
        "formonly.bin": stream(FORM),
        # A form that a container made larger.
        "resized.bin": stream(replaced(replaced(FORM, "Width", "int", 200), "Height", "int", 100) + ENGINE),
        "otherclass.bin": stream(FORM, cls="TOtherCtrl"),
    }
    files["truncated.bin"] = files["monitor.bin"][:500]
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
