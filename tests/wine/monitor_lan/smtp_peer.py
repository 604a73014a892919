"""A small SMTP server on loopback for the mail tests, able to misbehave the
way real servers do: drop the line after some mails, refuse recipients or
EHLO, drag a reply out line by line, flood it, or hold its answer to a mail
until told. It keeps every connection with its commands and the exact bytes
of each mail it took.

It is also as strict as a strict real server (RFC 5321, RFC 5322 for the
header) and notes every breach of the client in the connection's
`violations`: a line not ended by CR LF or with a bare CR, a command line
over 512 octets or not 7-bit, command syntax not to the letter (EHLO/HELO
with a domain or an address literal, "MAIL FROM:<path>", "RCPT TO:<path>"),
commands out of order, anything but QUIT after a 554 greeting, a command
sent before the reply to the last one (pipelining is not offered), a data
line over 1000 octets, a header line that is not 7-bit, and leaving a
server that waits for the next command without QUIT.

Each connection follows one behaviour, a dict; the last one given serves all
later connections:
  greeting          the greeting line ("220 test.example ESMTP"); 421 closes
                    the line after it, 554 takes only QUIT afterwards
  ehlo              the reply to EHLO instead of the multi-line 250 one
                    ("502 5.5.2 Not implemented": the client must fall
                    back to HELO)
  drop_after_mails  after this many mails of the connection the line drops
                    at the next command, without a word
  refuse            addresses answered 550 at RCPT
  greylist          addresses answered 450 at RCPT (try again later)
  trickle           (line, seconds): instead of the greeting, continuation
                    lines, one every so many seconds, never the last
  flood             line: the same, as fast as the line takes them
  hold_data         function(connection) called before the answer to the
                    end of a mail's data; True drops the line unanswered
"""
import re
import select
import socket
import socketserver
import threading
import time

LIMIT = 120  # seconds: no connection is kept longer, whatever the client does

_LABEL = r"[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
_DOMAIN = re.compile(rf"{_LABEL}(?:\.{_LABEL})*")
_LITERAL = re.compile(r"\[\d{1,3}(?:\.\d{1,3}){3}\]")
_MAIL = re.compile(r"MAIL FROM:<([^<> ]*)>")
_RCPT = re.compile(r"RCPT TO:<([^<> ]+)>")


class Connection:
    def __init__(self, n, behaviour):
        self.n = n
        self.behaviour = behaviour
        self.commands = []
        self.mails = []  # dicts: from, rcpts, data (bytes, unstuffed, without the final dot)
        self.violations = []
        self.start = time.time()
        self.end = None


class _Line:
    """Lines off the socket, kept apart from what came after them, so the
    server can tell a client that did not wait for a reply."""

    def __init__(self, sock, conn, deadline):
        self.sock, self.conn, self.deadline = sock, conn, deadline
        self.buf = b""

    def pending(self):
        """What the client sent beyond the lines read so far."""
        if self.buf:
            return self.buf
        try:
            if select.select([self.sock], [], [], 0)[0]:
                return self.sock.recv(80, socket.MSG_PEEK)
        except OSError:
            pass
        return b""

    def read(self, limit):
        while b"\n" not in self.buf:
            if time.time() > self.deadline:
                return None
            chunk = self.sock.recv(65536)
            if not chunk:
                return None
            self.buf += chunk
        i = self.buf.index(b"\n") + 1
        line, self.buf = self.buf[:i], self.buf[i:]
        if not line.endswith(b"\r\n"):
            self.conn.violations.append(f"line without CR LF: {line[:80]!r}")
        if b"\r" in line[:-2]:
            self.conn.violations.append(f"bare CR inside a line: {line[:80]!r}")
        if len(line) > limit:
            self.conn.violations.append(f"line of {len(line)} octets, over {limit}")
        return line[:-2] if line.endswith(b"\r\n") else line[:-1]


class _Handler(socketserver.BaseRequestHandler):
    def handle(self):
        peer = self.server.peer
        conn = peer._new_connection()
        b = conn.behaviour
        sock = self.request
        sock.settimeout(LIMIT)
        deadline = conn.start + LIMIT
        lines = _Line(sock, conn, deadline)
        breach = conn.violations.append

        def send(reply):
            early = lines.pending()
            if early:
                breach(f"sent before the reply to its last command was read: {early[:80]!r}")
            sock.sendall(b"".join(l.encode("latin-1") + b"\r\n" for l in reply.split("\n")))

        quit_seen = False
        try:
            if "trickle" in b or "flood" in b:
                line, every = b["trickle"] if "trickle" in b else (b["flood"], 0)
                while time.time() < deadline:
                    sock.sendall(line.encode("latin-1") + b"\r\n")
                    if every:
                        time.sleep(every)
                return
            greeting = b.get("greeting", "220 test.example ESMTP")
            send(greeting)
            if greeting.startswith("421"):
                return
            only_quit = greeting.startswith("554")
            greeted, mail, taken = False, None, 0
            while True:
                raw = lines.read(512)
                if raw is None:
                    if not quit_seen:
                        breach("the client left without QUIT")
                    return
                if any(c < 0x20 or c > 0x7E for c in raw):
                    breach(f"a command that is not 7-bit printable: {raw[:80]!r}")
                cmd = raw.decode("latin-1")
                conn.commands.append(cmd)
                if b.get("drop_after_mails") and taken >= b["drop_after_mails"]:
                    return
                verb = cmd[:4].upper()
                if only_quit and verb != "QUIT":
                    breach(f"{cmd!r} after a 554 greeting")
                    send("503 5.5.1 Only QUIT now")
                elif verb in ("HELO", "EHLO"):
                    m = re.fullmatch(r"(EHLO|HELO) (\S+)", cmd)
                    if not m or not (_DOMAIN.fullmatch(m.group(2)) or
                                     (verb == "EHLO" and _LITERAL.fullmatch(m.group(2)))):
                        breach(f"bad {verb}: {cmd!r}")
                    if verb == "EHLO" and "ehlo" in b:
                        send(b["ehlo"])
                        if b["ehlo"].startswith("421"):
                            return
                        continue
                    greeted, mail = True, None
                    send("250-test.example\n250-8BITMIME\n250 SIZE 10000000" if verb == "EHLO"
                         else "250 test.example")
                elif verb == "MAIL":
                    if not _MAIL.fullmatch(cmd):
                        breach(f"bad MAIL: {cmd!r}")
                        send("501 5.5.4 Syntax error")
                    elif not greeted or mail is not None:
                        breach("MAIL before EHLO/HELO" if not greeted else "MAIL inside a transaction")
                        send("503 5.5.1 Bad sequence of commands")
                    else:
                        mail = {"from": cmd[10:], "rcpts": [], "data": b""}
                        send("250 OK")
                elif verb == "RCPT":
                    m = _RCPT.fullmatch(cmd)
                    if not m:
                        breach(f"bad RCPT: {cmd!r}")
                        send("501 5.5.4 Syntax error")
                    elif mail is None:
                        breach("RCPT without MAIL")
                        send("503 MAIL first")
                    elif m.group(1) in b.get("refuse", ()):
                        send("550 5.1.1 No such user here")
                    elif m.group(1) in b.get("greylist", ()):
                        send("450 4.7.1 Greylisted, please try again later")
                    else:
                        mail["rcpts"].append(m.group(1))
                        send("250 OK")
                elif verb == "DATA":
                    if cmd != "DATA":
                        breach(f"bad DATA: {cmd!r}")
                    if mail is None or not mail["rcpts"]:
                        breach("DATA without MAIL or an accepted recipient")
                        send("503 No recipients")
                        continue
                    send("354 End data with <CR><LF>.<CR><LF>")
                    data, header = b"", True
                    while True:
                        line = lines.read(1000)
                        if line is None:
                            return
                        if line == b".":
                            break
                        if header:
                            if line == b"":
                                header = False
                            elif any((c < 0x20 and c != 9) or c > 0x7E for c in line):
                                breach(f"a header line that is not 7-bit: {line[:80]!r}")
                        data += (line[1:] if line.startswith(b".") else line) + b"\r\n"
                    mail["data"] = data
                    hold = b.get("hold_data")
                    if hold and hold(conn):
                        return
                    conn.mails.append(mail)
                    mail = None
                    taken += 1
                    send("250 OK queued")
                elif verb == "RSET":
                    mail = None
                    send("250 OK")
                elif verb == "QUIT":
                    quit_seen = True
                    send("221 Bye")
                    return
                else:
                    breach(f"unknown command: {cmd!r}")
                    send("500 Unknown command")
        except OSError:
            pass
        finally:
            conn.end = time.time()


class _Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


class Peer:
    def __init__(self, behaviours, port=0):
        self.behaviours = behaviours
        self.connections = []
        self._lock = threading.Lock()
        self._server = _Server(("127.0.0.1", port), _Handler)
        self._server.peer = self
        self.port = self._server.server_address[1]
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    def _new_connection(self):
        with self._lock:
            n = len(self.connections)
            b = self.behaviours[min(n, len(self.behaviours) - 1)]
            c = Connection(n + 1, b)
            self.connections.append(c)
            return c

    def mails(self):
        with self._lock:
            return [m for c in self.connections for m in c.mails]

    def violations(self):
        """Every breach of the rules, as "connection N: what"."""
        with self._lock:
            return [f"connection {c.n}: {v}" for c in self.connections for v in c.violations]

    def stop(self):
        self._server.shutdown()
        self._server.server_close()
        self._thread.join(10)
