#!/usr/bin/python3
"""The monitor's notification mail against a real SMTP server on loopback.

Runs the MonitorMail cases of the Windows test program under Wine (inside
tests/wine/session.sh) and checks what the server received:
  1. a call with three addresses: three mails in one connection, each with
     the exact subject in plain letters;
  2. no server on the port: the mail is queued; when the test program asks
     (a file in VX_SIGNAL_DIR), a server is started on that very port and the
     retry must deliver the mail there, once.
Usage: mail_test.py TEST_EXE"""
import email.header
import mailbox
import os
import socket
import subprocess
import sys
import tempfile
import time

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


def subject(m):
    return str(email.header.make_header(email.header.decode_header(m["Subject"])))


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


def main():
    exe = sys.argv[1]
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        three_addresses(exe, tmp, problems)
        refused_then_retry(exe, tmp, problems)
    for p in problems:
        print("FAIL:", p)
    if not problems:
        print("mail: three addresses in one connection, retry after a refused connection")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
