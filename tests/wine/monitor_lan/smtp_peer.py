"""A small SMTP server on loopback for the mail tests, able to misbehave the
way real servers do: drop the line after some mails, refuse recipients, drag
a reply out line by line, flood it, or hold its answer to a mail until told.
It keeps every connection with its commands and the exact bytes of each
mail it took.

Each connection follows one behaviour, a dict; the last one given serves all
later connections:
  greeting          the greeting line ("220 test.example ESMTP")
  drop_after_mails  after this many mails of the connection the line drops
                    at the next command, without a word
  refuse            addresses answered 550 at RCPT
  trickle           (line, seconds): instead of the greeting, continuation
                    lines, one every so many seconds, never the last
  flood             line: the same, as fast as the line takes them
  hold_data         function(connection) called before the answer to the
                    end of a mail's data; True drops the line unanswered
"""
import socketserver
import threading
import time

LIMIT = 120  # seconds: no connection is kept longer, whatever the client does


class Connection:
    def __init__(self, n, behaviour):
        self.n = n
        self.behaviour = behaviour
        self.commands = []
        self.mails = []  # dicts: from, rcpts, data (bytes, unstuffed, without the final dot)
        self.start = time.time()
        self.end = None


class _Handler(socketserver.BaseRequestHandler):
    def handle(self):
        peer = self.server.peer
        conn = peer._new_connection()
        b = conn.behaviour
        sock = self.request
        sock.settimeout(LIMIT)
        rfile = sock.makefile("rb")
        deadline = conn.start + LIMIT

        def send(line):
            sock.sendall(line.encode("latin-1") + b"\r\n")

        try:
            if "trickle" in b or "flood" in b:
                line, every = b["trickle"] if "trickle" in b else (b["flood"], 0)
                while time.time() < deadline:
                    send(line)
                    if every:
                        time.sleep(every)
                return
            send(b.get("greeting", "220 test.example ESMTP"))
            mail, taken = None, 0
            while True:
                raw = rfile.readline(4096)
                if not raw:
                    return
                cmd = raw.rstrip(b"\r\n").decode("latin-1")
                conn.commands.append(cmd)
                if b.get("drop_after_mails") and taken >= b["drop_after_mails"]:
                    return
                verb = cmd[:4].upper()
                if verb in ("HELO", "EHLO"):
                    send("250 test.example")
                elif verb == "MAIL":
                    mail = {"from": cmd[10:], "rcpts": [], "data": b""}
                    send("250 OK")
                elif verb == "RCPT":
                    address = cmd[8:].strip().strip("<>")
                    if mail is None:
                        send("503 MAIL first")
                    elif address in b.get("refuse", ()):
                        send("550 5.1.1 No such user here")
                    else:
                        mail["rcpts"].append(address)
                        send("250 OK")
                elif verb == "DATA":
                    if mail is None or not mail["rcpts"]:
                        send("503 No recipients")
                        continue
                    send("354 End data with <CR><LF>.<CR><LF>")
                    data = b""
                    while True:
                        line = rfile.readline(100000)
                        if not line:
                            return
                        if line == b".\r\n":
                            break
                        data += line[1:] if line.startswith(b"..") else line
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
                    send("221 Bye")
                    return
                else:
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

    def stop(self):
        self._server.shutdown()
        self._server.server_close()
        self._thread.join(10)
