#!/usr/bin/python3
"""A terminal adapter on the far end of a pty, for the serial tests.

The pty's slave side is published as a symlink (a Wine COM port such as
$WINEPREFIX/dosdevices/com5). The adapter answers AT commands the way the
chosen model does; a line-based control channel on 127.0.0.1 lets a test
inject calls and faults:

  mode TODOS|TODOSTA|ZYXELISDN|ZYXELISDN2|3COM
  call NUMBER [PORT] [DATE TIME]   add a call to the adapter's log (newest first)
  ring                             a call comes in while the adapter prints: the
                                   next answer with text gets the unsolicited
                                   "RING" before its final "OK"
  error on|off                     answer every command with ERROR
  silent on|off                    answer nothing
  delay MS                         wait before answering
  fragment BYTES MS                send answers in pieces
  vanish / return                  the port disappears / comes back (new pty)
  count                            calls in the adapter's log
  received                         commands received so far (repr, "|" separated)
  dialled                          numbers dialled with AT%D
  raw                              every byte received (repr)
  clear                            empty the log and the records
  quit
Every control command is answered with one line beginning "OK" or "ERR".
"""
import argparse
import os
import selectors
import socket
import sys
import time
import tty

OK = b"\r\nOK\r\n"


def pad(s, n):
    return s + " " * max(0, n - len(s))


class Adapter:
    def __init__(self, mode):
        self.mode = mode
        self.log = []  # newest first: dicts number, port, date (dd-mm-yyyy), time (hh:mm)
        self.cursor = 0
        self.error = False
        self.silent = False
        self.delay = 0.0
        self.fragment = None  # (bytes, seconds)
        self.received = []
        self.dialled = []
        self.raw = bytearray()  # every byte received, line ends included
        self.ring = False

    def add_call(self, number, port, date, hhmm):
        self.log.insert(0, {"number": number, "port": port, "date": date, "time": hhmm})

    # ---- listings ----
    def todos_entry(self, i):
        if i >= len(self.log):
            return OK
        c = self.log[i]
        d, m, _ = c["date"].split("-")
        h, mi = c["time"].split(":")
        code = {"1": "01", "2": "02", "1+2": "03"}.get(c["port"], "01")
        return ("\r\nP%s: %s%s%s%s %s\r\nOK\r\n" % (code, m, d, h, mi, c["number"])).encode("cp1250")

    def zyxel_table(self):
        s = "\r\n<Dial In  Log>\r\n  No.          Caller ID       Service      Date/Time\r\n"
        for i, c in enumerate(self.log, 1):
            s += pad("  %d" % i, 16) + pad(c["number"], 16) + pad("  64K", 13)
            s += c["date"].replace("-", "/") + "   " + c["time"] + "\r\n"
        s += "\r\n" + "-" * 60 + "\r\n"  # the adapter's footer keeps the reply long
        return (s + "\r\nOK\r\n").encode("cp1250")

    def zyxel_records(self):
        s = "\r\nOmni.net LCD Plus - last calls" + " " * 80 + "\r\n"
        a = [c["number"] for c in self.log if c["port"] != "B"]
        b = [c["number"] for c in self.log if c["port"] == "B"]
        for i in range(max(len(a), len(b))):
            s += pad("30.(%s)" % (a[i] if i < len(a) else ""), 44)
            s += (b[i] if i < len(b) else "") + ")\r\n"
        # Unused records print empty: two of them when the log is empty.
        empties = 2 if not self.log else 1
        s += (pad("30.()", 44) + ")\r\n") * empties
        return (s + "\r\nOK\r\n").encode("cp1250")

    def threecom_log(self):
        s = "\r\nUSR ISDN Pro TA - Incoming Call Logging (newest first)\r\n\r\n"
        s += "Calling Number       Port  Date       Time   Type\r\n"
        for c in self.log[:50]:
            s += pad(c["number"], 21) + "ADP" + (c["port"] or "1")[:1] + "  "
            s += c["date"] + " " + c["time"] + "  Voice\r\n"
        return (s + "\r\nOK\r\n").encode("cp1250")

    # ---- commands ----
    def answer(self, cmd):
        self.received.append(cmd)
        data = self.result(cmd)
        if self.ring and data.endswith(OK) and len(data) > len(OK):
            self.ring = False
            data = data[: -len(OK)] + b"\r\nRING\r\n" + OK
        return data

    def result(self, cmd):
        if self.silent:
            return b""
        if self.error:
            return b"\r\nERROR\r\n"
        u = cmd.upper()
        if u.startswith("AT%D"):
            self.dialled.append(cmd[4:])
            return OK
        if u in ("AT", "AT%H", "ATZ"):
            return OK
        if self.mode in ("TODOS", "TODOSTA"):
            if u == "ATE0&K3&U0":
                self.cursor = 0
                return self.todos_entry(0)
            if u == "AT&K3&U1":
                self.cursor += 1
                return self.todos_entry(self.cursor)
            if u == "AT&U2":
                if self.log:
                    self.log.pop(0)
                return OK
        elif self.mode in ("ZYXELISDN", "ZYXELISDN2"):
            if u == "ATE0QP3":
                return self.zyxel_table() if self.mode == "ZYXELISDN" else self.zyxel_records()
            if u == "ATQP3C":
                self.log.clear()
                return OK
        elif self.mode == "3COM":
            if u == "ATE0I18":
                return self.threecom_log()
        return b"\r\nERROR\r\n"


class Port:
    """The pty pair and its published symlink."""

    def __init__(self, link):
        self.link = link
        self.master = self.slave = None
        self.open()

    def open(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        os.set_blocking(self.master, False)
        tmp = self.link + ".new"
        if os.path.lexists(tmp):
            os.unlink(tmp)
        os.symlink(os.ttyname(self.slave), tmp)
        os.replace(tmp, self.link)

    def close(self):
        if os.path.lexists(self.link):
            os.unlink(self.link)
        for fd in (self.master, self.slave):
            if fd is not None:
                os.close(fd)
        self.master = self.slave = None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--link", required=True, help="symlink to publish the pty under")
    ap.add_argument("--port-file", required=True, help="where to write the control port")
    ap.add_argument("--mode", default="TODOS")
    ap.add_argument("--lifetime", type=float, default=300.0, help="ends by itself after this many seconds")
    args = ap.parse_args()

    adapter = Adapter(args.mode)
    port = Port(args.link)
    sel = selectors.DefaultSelector()
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(4)
    sel.register(server, selectors.EVENT_READ, "accept")
    sel.register(port.master, selectors.EVENT_READ, "pty")
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(server.getsockname()[1]))
    os.replace(args.port_file + ".tmp", args.port_file)

    pending = b""      # command bytes not yet ended by CR
    outgoing = []      # (due time, bytes) to write to the pty
    clients = {}
    deadline = time.monotonic() + args.lifetime

    def send(data):
        now = time.monotonic() + adapter.delay
        if adapter.fragment:
            n, gap = adapter.fragment
            for i in range(0, len(data), n):
                outgoing.append((now + (i // n) * gap, data[i:i + n]))
        elif data:
            outgoing.append((now, data))

    def control(conn, line):
        words = line.split()
        if not words:
            return "ERR empty"
        w, rest = words[0].lower(), words[1:]
        if w == "mode":
            adapter.mode = rest[0]
        elif w == "call":
            number = rest[0]
            cport = rest[1] if len(rest) > 1 else "1"
            if len(rest) > 3:
                date, hhmm = rest[2], rest[3]
            else:
                t = time.localtime()
                date, hhmm = time.strftime("%d-%m-%Y", t), time.strftime("%H:%M", t)
            adapter.add_call(number, cport, date, hhmm)
        elif w == "ring":
            adapter.ring = True
        elif w == "error":
            adapter.error = rest[0] == "on"
        elif w == "silent":
            adapter.silent = rest[0] == "on"
        elif w == "delay":
            adapter.delay = int(rest[0]) / 1000.0
        elif w == "fragment":
            adapter.fragment = None if rest[0] == "off" else (int(rest[0]), int(rest[1]) / 1000.0)
        elif w == "vanish":
            if port.master is not None:
                sel.unregister(port.master)
                port.close()
                outgoing.clear()
        elif w == "return":
            if port.master is None:
                port.open()
                sel.register(port.master, selectors.EVENT_READ, "pty")
        elif w == "count":
            return "OK %d" % len(adapter.log)
        elif w == "received":
            return "OK " + "|".join(repr(c) for c in adapter.received)
        elif w == "dialled":
            return "OK " + "|".join(adapter.dialled)
        elif w == "raw":
            return "OK " + repr(bytes(adapter.raw))
        elif w == "clear":
            adapter.log.clear()
            adapter.received.clear()
            adapter.dialled.clear()
            adapter.raw.clear()
            adapter.ring = False
        elif w == "quit":
            raise SystemExit(0)
        else:
            return "ERR unknown " + w
        return "OK"

    try:
        while time.monotonic() < deadline:
            now = time.monotonic()
            outgoing.sort(key=lambda x: x[0])
            timeout = 0.05
            if outgoing:
                timeout = max(0.0, min(timeout, outgoing[0][0] - now))
            for key, _ in sel.select(timeout):
                if key.data == "accept":
                    conn, _ = server.accept()
                    conn.setblocking(False)
                    clients[conn] = b""
                    sel.register(conn, selectors.EVENT_READ, "client")
                elif key.data == "pty":
                    try:
                        data = os.read(port.master, 4096)
                    except (BlockingIOError, OSError):
                        data = b""
                    pending += data
                    adapter.raw += data
                    while b"\r" in pending:
                        cmd, pending = pending.split(b"\r", 1)
                        cmd = cmd.replace(b"\n", b"").strip().decode("cp1250", "replace")
                        if cmd:
                            send(adapter.answer(cmd))
                else:
                    conn = key.fileobj
                    try:
                        data = conn.recv(4096)
                    except BlockingIOError:
                        continue
                    if not data:
                        sel.unregister(conn)
                        conn.close()
                        del clients[conn]
                        continue
                    clients[conn] += data
                    while b"\n" in clients[conn]:
                        line, clients[conn] = clients[conn].split(b"\n", 1)
                        try:
                            reply = control(conn, line.decode("utf-8").strip())
                        except SystemExit:
                            conn.sendall(b"OK\n")
                            return
                        except Exception as e:  # a bad control line never ends the adapter
                            reply = "ERR " + str(e)
                        conn.sendall((reply + "\n").encode("utf-8"))
            now = time.monotonic()
            while outgoing and outgoing[0][0] <= now and port.master is not None:
                _, data = outgoing.pop(0)
                try:
                    os.write(port.master, data)
                except OSError:
                    pass
    finally:
        port.close()
        server.close()


if __name__ == "__main__":
    sys.exit(main())
