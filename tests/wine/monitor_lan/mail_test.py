#!/usr/bin/python3
"""The monitor's notification mail against a real SMTP server on loopback.

Runs the MonitorMail cases of the Windows test program under Wine (inside
tests/wine/session.sh) and checks what the server received:
  1. a call with three addresses: three mails in one connection, each with
     the exact subject in plain letters;
  2. no server on the port: the mail is queued; when the test program asks
     (a file in VX_SIGNAL_DIR), a server is started on that very port and the
     retry must deliver the mail there, once;
and against servers that misbehave (smtp_peer.py), each of them as strict as a
strict real server about the dialogue and the header (no breach may show):
  3. the line drops after the first address got the mail: every address
     gets it once, the second time from a server that refuses EHLO;
  4. a call comes in while a retry waits for a server that then drops the
     line: the call's mail is still delivered, once (the server that turned
     the first dispatch away with 554 got QUIT);
  5. a key of several addresses, one refused, and a key of thirty: the To
     header goes 7-bit, folded, naming them all;
  6. a greeting that trickles, then one that floods: both given up, the
     mail delivered by the next retry;
  7. a caller from the network in letters the plain-letter table keeps, a
     ";" in the firm, a long firm: the subject decodes letter for letter;
  8. a server named by a name the name service takes long over (the preload
     library SLOWNAME.so in the Wine process): the caller-ID window goes on
     time meanwhile, and the mail arrives once, after the name is resolved;
  9. a server named by a name the name service never answers: the dispatch
     gives up after its connection time and queues the mail.
Usage: mail_test.py TEST_EXE SLOWNAME.so"""
import email
import email.header
import email.policy
import mailbox
import os
import re
import socket
import subprocess
import sys
import tempfile
import time
import traceback

from smtp_peer import Peer

SUBJECT = "Volanie z cisla 0905123456 - Jan Novak, Uctovnictvo s.r.o. (cas 14:05:09)"


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


class Server:
    """aiosmtpd storing into a maildir, on 127.0.0.1:port."""

    def __init__(self, port, box):
        self.box = box
        mailbox.Maildir(box, create=True)
        self.proc = subprocess.Popen(
            ["/usr/bin/python3", "-m", "aiosmtpd", "-n", "-l", f"127.0.0.1:{port}",
             "-c", "aiosmtpd.handlers.Mailbox", box],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", port), 0.2).close()
                return
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("SMTP server did not start")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def mails(self):
        return list(mailbox.Maildir(self.box, create=False))


def unfold(value):
    return re.sub(r"\r?\n(?=[ \t])", "", value)


def subject(m):
    return str(email.header.make_header(email.header.decode_header(unfold(m["Subject"]))))


def run(exe, case, env):
    wine = os.environ.get("VX_WINE", "wine")
    return subprocess.Popen([wine, exe, f"--gtest_filter=MonitorMail.{case}"], env=env,
                            stdin=subprocess.DEVNULL)


def wait(proc, timeout):
    try:
        return proc.wait(timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        return -1


def three_addresses(exe, tmp, problems):
    port = free_port()
    server = Server(port, os.path.join(tmp, "mail1"))
    try:
        rc = wait(run(exe, "ThreeAddressesGetTheCallInOneConnection",
                      dict(os.environ, VX_SMTP_PORT=str(port))), 150)
        time.sleep(0.3)  # the server may still be writing the last mail
        mails = server.mails()
    finally:
        server.stop()
    if rc != 0:
        problems.append("three addresses: test program failed")
    if len(mails) != 3:
        problems.append(f"three addresses: {len(mails)} mails instead of 3")
    rcpts, peers = [], set()
    for m in mails:
        if subject(m) != SUBJECT:
            problems.append(f"three addresses: subject {subject(m)!r}")
        if m.get_payload() != "":
            problems.append("three addresses: body not empty")
        rcpts.append(m["X-RcptTo"])
        peers.add(m["X-Peer"])
    if sorted(rcpts) != ["druhy@example.com", "prvy@example.com", "treti@example.com"]:
        problems.append(f"three addresses: recipients {sorted(rcpts)}")
    if len(peers) != 1:
        problems.append(f"three addresses: {len(peers)} connections")


def refused_then_retry(exe, tmp, problems):
    port = free_port()  # nothing listens there: connections are refused
    signals = os.path.join(tmp, "signals")
    os.mkdir(signals)
    env = dict(os.environ, VX_SMTP_PORT=str(port), VX_SIGNAL_DIR=signals)
    proc = run(exe, "ARefusedConnectionQueuesTheMailAndARetryDeliversIt", env)
    server = None
    try:
        deadline = time.time() + 90
        while time.time() < deadline and proc.poll() is None:
            if os.path.exists(os.path.join(signals, "server-wanted")):
                server = Server(port, os.path.join(tmp, "mail2"))
                open(os.path.join(signals, "server-up"), "w").close()
                break
            time.sleep(0.05)
        rc = wait(proc, 150)
        time.sleep(0.3)
        mails = server.mails() if server else []
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        if server:
            server.stop()
    if rc != 0:
        problems.append("retry: test program failed")
    if server is None:
        problems.append("retry: the test program never asked for the server")
    if len(mails) != 1:
        problems.append(f"retry: {len(mails)} mails instead of 1")
    for m in mails:
        if subject(m) != SUBJECT:
            problems.append(f"retry: subject {subject(m)!r}")
        if m["X-RcptTo"] != "prvy@example.com":
            problems.append(f"retry: recipient {m['X-RcptTo']!r}")


SUBJECT_EVA = "Volanie z cisla 0911222333 - Eva Mala, Mesto Senec (cas 14:06:00)"


def with_peer(exe, case, behaviours, problems, signals=None, timeout=200, env_extra=None):
    """Runs one MonitorMail case against a Peer; returns the peer."""
    peer = Peer(behaviours)
    env = dict(os.environ, VX_SMTP_PORT=str(peer.port), **(env_extra or {}))
    if signals:
        env["VX_SIGNAL_DIR"] = signals
    try:
        rc = wait(run(exe, case, env), timeout)
    finally:
        peer.stop()
    if rc != 0:
        problems.append(f"{case}: test program failed")
    problems.extend(f"{case}: {v}" for v in peer.violations())
    return peer


def parsed(mail):
    return email.message_from_bytes(mail["data"], policy=email.policy.compat32)


def per_address(peer):
    n = {}
    for m in peer.mails():
        for r in m["rcpts"]:
            n[r] = n.get(r, 0) + 1
    return n


def line_dropped(exe, tmp, problems):
    case = "ALineDroppedAfterTheFirstAddressIsMailedAgainOnlyToTheOthers"
    # The second server knows no EHLO: the client falls back to HELO.
    peer = with_peer(exe, case, [{"drop_after_mails": 1}, {"ehlo": "502 5.5.2 Not implemented"}], problems)
    want = {"prvy@example.com": 1, "druhy@example.com": 1, "treti@example.com": 1}
    if per_address(peer) != want:
        problems.append(f"line dropped: mails per address {per_address(peer)}")
    got = [[m["rcpts"] for m in c.mails] for c in peer.connections]
    if got[:2] != [[["prvy@example.com"]], [["druhy@example.com"], ["treti@example.com"]]]:
        problems.append(f"line dropped: connections {got}")
    hello = peer.connections[1].commands[:2] if len(peer.connections) > 1 else []
    if len(hello) < 2 or not hello[0].startswith("EHLO ") or hello[1] != "HELO " + hello[0][5:]:
        problems.append(f"line dropped: no HELO after the refused EHLO: {hello}")


def greylisted(exe, tmp, problems):
    case = "AnAddressTheServerGreylistsGetsTheMailWithTheRetry"
    peer = with_peer(exe, case, [{"greylist": ["druhy@example.com"]}, {}], problems)
    want = {"prvy@example.com": 1, "druhy@example.com": 1, "treti@example.com": 1}
    if per_address(peer) != want:
        problems.append(f"greylisted: mails per address {per_address(peer)}")
    got = [[m["rcpts"] for m in c.mails] for c in peer.connections]
    if got[:2] != [[["prvy@example.com"], ["treti@example.com"]], [["druhy@example.com"]]]:
        problems.append(f"greylisted: connections {got}")


def queued_during_retry(exe, tmp, problems):
    signals = os.path.join(tmp, "signals-retry")
    os.mkdir(signals)

    def hold(conn):
        if conn.n != 2:
            return False
        open(os.path.join(signals, "data-held"), "w").close()
        deadline = time.time() + 40
        while time.time() < deadline and not os.path.exists(os.path.join(signals, "drop")):
            time.sleep(0.05)
        return True

    case = "AMailQueuedWhileARetryFailsIsNotCountedAndGoesOut"
    peer = with_peer(exe, case, [{"greeting": "554 busy, try later"}, {"hold_data": hold}, {}], problems,
                     signals=signals)
    subjects = [subject(parsed(m)) for m in peer.mails()]
    if peer.connections and peer.connections[0].commands != ["QUIT"]:
        problems.append(f"queued during a retry: the 554 greeting got {peer.connections[0].commands}")
    if subjects != [SUBJECT_EVA]:
        problems.append(f"queued during a retry: mails {subjects}")


def to_header(exe, tmp, problems):
    key1 = "Ján Novák <jan@example.com>, zly@example.com, Účtovníctvo Veľká Firma <uctovnictvo@example.com>"
    key2 = ", ".join(f"Pracovník číslo {i} <pracovnik{i}@example.com>" for i in range(1, 31))
    case = "ToHeaderIsSevenBitAndFoldedAndARefusedRecipientIsLogged"
    peer = with_peer(exe, case, [{"refuse": {"zly@example.com"}}], problems)
    mails = peer.mails()
    rcpts = [m["rcpts"] for m in mails]
    want = [["jan@example.com", "uctovnictvo@example.com"], [f"pracovnik{i}@example.com" for i in range(1, 31)]]
    if rcpts != want:
        problems.append(f"To header: recipients {rcpts}")
    for m, key in zip(mails, (key1, key2)):
        header = m["data"].split(b"\r\n\r\n", 1)[0]
        for line in header.split(b"\r\n"):
            if len(line) > 78:
                problems.append(f"To header: a line of {len(line)} octets: {line[:60]!r}...")
            if any(c < 0x20 or c > 0x7E for c in line):
                problems.append(f"To header: 8-bit or control bytes in {line[:60]!r}...")
        to = parsed(m)["To"]
        if not isinstance(to, str):  # what a parser makes of raw 8-bit bytes
            problems.append("To header: not readable as 7-bit text")
            continue
        decoded = str(email.header.make_header(email.header.decode_header(unfold(to))))
        if decoded != key:
            problems.append(f"To header: {decoded!r} instead of {key!r}")
        modern = email.message_from_bytes(m["data"], policy=email.policy.default)
        addresses = [a.addr_spec for a in modern["To"].addresses]
        if addresses != [a.split("<")[-1].rstrip(">").strip() for a in key.split(", ")]:
            problems.append(f"To header: a mail reader sees {addresses}")
        if subject(parsed(m)) != SUBJECT:
            problems.append(f"To header: subject {subject(parsed(m))!r}")


def dragged_reply(exe, tmp, problems):
    case = "AServerThatDragsOutItsReplyIsLeftAtTheReplysLimits"
    peer = with_peer(exe, case, [{"trickle": ("220-Cakajte prosim", 1)}, {"flood": "220-" + "x" * 400},
                                 {"greeting": "220-test.example ESMTP\n220-Vitajte\n220 ready"}], problems)
    c = peer.connections
    if len(c) < 3:
        problems.append(f"dragged reply: {len(c)} connections")
        return
    if c[0].end is None or c[0].end - c[0].start > 60:
        problems.append("dragged reply: the trickled greeting was not left")
    if c[0].mails or c[1].mails or len(c[2].mails) != 1:
        problems.append("dragged reply: the mail did not go with the third connection")
    elif subject(parsed(c[2].mails[0])) != SUBJECT:
        problems.append("dragged reply: subject")


def slovak_subject(exe, tmp, problems):
    case = "ASlovakCallerFromTheNetworkIsMailedLetterForLetter"
    peer = with_peer(exe, case, [{}], problems)
    want = ("Volanie z cisla 0905123456 - Lubomir Durco, Łodz – „Tazba“ €; a; b" + " Uctovnictvo" * 20 +
            " (cas 14:05:09)")
    mails = peer.mails()
    if len(mails) != 1:
        problems.append(f"Slovak subject: {len(mails)} mails instead of 1")
    for m in mails:
        if subject(parsed(m)) != want:
            problems.append(f"Slovak subject: {subject(parsed(m))!r}")
        for line in m["data"].split(b"\r\n\r\n", 1)[0].split(b"\r\n"):
            if b"=?" in line and len(line) > 76:
                problems.append(f"Slovak subject: a line of {len(line)} octets with encoded words")
        if m["rcpts"] != ["prvy@example.com"] or m["from"] != "<>":
            problems.append(f"Slovak subject: envelope {m['from']!r} {m['rcpts']}")


def slow_name(exe, tmp, problems):
    case = "TheCallerIdWindowGoesOnTimeWhileTheServersNameIsResolved"
    # Slow, but within the connection's ten seconds.
    slow = {"LD_PRELOAD": sys.argv[2], "VX_SLOW_NAME": "pomaly-server.test", "VX_SLOW_NAME_MS": "7000"}
    peer = with_peer(exe, case, [{}], problems, env_extra=slow)
    mails = peer.mails()
    if len(mails) != 1:
        problems.append(f"slow name: {len(mails)} mails instead of 1")
    for m in mails:
        if subject(parsed(m)) != SUBJECT or m["rcpts"] != ["prvy@example.com"]:
            problems.append(f"slow name: {subject(parsed(m))!r} to {m['rcpts']}")


def name_never_resolves(exe, tmp, problems):
    case = "AServersNameThatNeverResolvesCostsTheMailOnlyItsConnectionTime"
    never = {"LD_PRELOAD": sys.argv[2], "VX_SLOW_NAME": "nikdy-server.test", "VX_SLOW_NAME_MS": "600000"}
    peer = with_peer(exe, case, [{}], problems, env_extra=never)
    if peer.mails():
        problems.append(f"name never resolves: {len(peer.mails())} mails")


def main():
    exe = sys.argv[1]
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        for case in (three_addresses, refused_then_retry, line_dropped, greylisted, queued_during_retry, to_header,
                     dragged_reply, slovak_subject, slow_name, name_never_resolves):
            try:
                case(exe, tmp, problems)
            except Exception:  # one case's surprise must not hide the others
                problems.append(f"{case.__name__}: {traceback.format_exc()}")
    for p in problems:
        print("FAIL:", p)
    if not problems:
        print("mail: three addresses in one connection, retry after a refused connection, a dropped line,"
              " a greylisted address, a mail queued during a retry, the To header, replies dragged out, a Slovak subject,"
              " a slowly resolved server name, a server name never resolved")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
