#!/usr/bin/python3
"""Mail dispatch against a real SMTP server on loopback: starts aiosmtpd on
a free port, runs the Windows test program's SMTP case under Wine, and
checks what the server received. Usage: smtp_test.py TEST_EXE"""
import email
import email.header
import mailbox
import os
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def main():
    exe = sys.argv[1]
    wine = os.environ.get("VX_WINE", "wine")
    port = free_port()
    with tempfile.TemporaryDirectory() as tmp:
        box = os.path.join(tmp, "mail")
        mailbox.Maildir(box, create=True)  # the server stores into an existing maildir
        server = subprocess.Popen(
            ["/usr/bin/python3", "-m", "aiosmtpd", "-n", "-l", f"127.0.0.1:{port}",
             "-c", "aiosmtpd.handlers.Mailbox", box],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            for _ in range(200):
                try:
                    socket.create_connection(("127.0.0.1", port), 0.2).close()
                    break
                except OSError:
                    time.sleep(0.05)
            env = dict(os.environ, VX_SMTP_PORT=str(port))
            run = subprocess.run([wine, exe, "--gtest_filter=SmtpServer.*"], env=env,
                                 stdin=subprocess.DEVNULL, timeout=120)
            if run.returncode != 0:
                print("test program failed")
                return 1
            # Give the server a moment to write the last mail.
            time.sleep(0.3)
            mails = list(mailbox.Maildir(box, create=False))
        finally:
            server.terminate()
            server.wait(10)

    problems = []
    if len(mails) != 3:
        problems.append(f"{len(mails)} mails instead of 3")
    expected_subject = "Volanie 0905123456 - Wałęsa, Uctovnictvo (o 10:11:12)"
    rcpts, peers = set(), set()
    for m in mails:
        subject = str(email.header.make_header(email.header.decode_header(m["Subject"])))
        if subject != expected_subject:
            problems.append(f"subject {subject!r}")
        if m["X-Priority"] != "1" or m["Importance"] != "High" or m["X-MSMail-Priority"] != "High":
            problems.append("priority headers missing")
        if m["X-MailFrom"] not in ("", "<>"):  # the null reverse path
            problems.append(f"reverse path {m['X-MailFrom']!r}")
        if not m["Date"]:
            problems.append("no Date header")
        if m.get_payload() != "":
            problems.append("body not empty")
        rcpts.add(m["X-RcptTo"])
        peers.add(m["X-Peer"])
    if rcpts != {"prvy@example.com", "druhy@example.com", "treti@example.com"}:
        problems.append(f"recipients {sorted(rcpts)}")
    if len(peers) != 1:
        problems.append(f"{len(peers)} connections: {sorted(peers)}")
    for p in problems:
        print("FAIL:", p)
    print("three mails in one connection" if not problems else "")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
