#!/usr/bin/python3
"""Mail server of the local auction house.

AUTH LOGIN (or PLAIN), required before MAIL. STARTTLS is offered with the instance's
certificate; with --require-tls (the test instance) nothing but EHLO, STARTTLS and QUIT is taken
before it, so AUTH is offered only on an encrypted session. Each command's verb goes to the log
(never the AUTH data), so tests can see their order. Every accepted message is stored as
the exact bytes received (after SMTP dot-unstuffing) in NAME.eml, with its envelope in NAME.env
beside it; the .env is written first and the .eml appears by rename, so a reader that sees an
.eml always finds a complete message and its envelope. The password arrives as a SHA-256
digest so that neither the command line nor this file carries it.
"""
import argparse
import asyncio
import hashlib
import hmac
import itertools
import logging
import os
import signal
import ssl
import time
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class CommandVerbs(logging.Filter):
    """Keeps of aiosmtpd's own log only each command line as received, cut to its verb (and an
    AUTH's mechanism), so the order of STARTTLS and AUTH shows and no login data does; errors
    pass as they are."""

    def filter(self, record):
        if record.levelno >= logging.ERROR:
            return True
        # The same form at DEBUG carries the answers to AUTH's challenges: never kept.
        if record.levelno != logging.INFO or record.msg != "%r >> %r" or len(record.args) != 2:
            return False
        peer, line = record.args
        words = bytes(line).split(b" ")
        keep = words[:2] if words[0].upper() == b"AUTH" else words[:1]
        record.msg = "%s Befehl: %s"
        record.args = ("%s:%s" % tuple(peer[:2]) if isinstance(peer, tuple) else str(peer),
                       b" ".join(keep).decode("ascii", "replace").upper())
        return True


class MailDrop:
    def __init__(self, folder, log):
        self._folder = folder
        self._log = log
        self._seq = itertools.count(1)

    async def handle_DATA(self, server, session, envelope):
        name = "%020d-%06d" % (time.time_ns(), next(self._seq))
        base = os.path.join(self._folder, name)
        env = ["MAIL FROM:<%s>" % envelope.mail_from]
        env += ["RCPT TO:<%s>" % r for r in envelope.rcpt_tos]
        env.append("AUTH:%s" % (session.auth_data or ""))
        with open(base + ".env", "w", encoding="utf-8") as f:
            f.write("\n".join(env) + "\n")
        data = envelope.original_content or envelope.content or b""
        with open(base + ".eml.tmp", "wb") as f:
            f.write(data)
        os.replace(base + ".eml.tmp", base + ".eml")
        self._log.info("%s.eml: %d Bytes von <%s> an %s", name, len(data),
                       envelope.mail_from, ", ".join("<%s>" % r for r in envelope.rcpt_tos))
        return "250 Nachricht angenommen"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--address", required=True)
    ap.add_argument("--port", type=int, default=25)
    ap.add_argument("--mail-dir", required=True)
    ap.add_argument("--user", required=True)
    ap.add_argument("--password-sha256", required=True)
    ap.add_argument("--log", required=True)
    ap.add_argument("--pid-file", required=True)
    ap.add_argument("--cert", help="server certificate (PEM); STARTTLS is offered with it")
    ap.add_argument("--key", help="its private key (PEM)")
    ap.add_argument("--require-tls", action="store_true",
                    help="refuse everything but EHLO, STARTTLS and QUIT before STARTTLS")
    args = ap.parse_args()

    logging.basicConfig(filename=args.log, level=logging.INFO,
                        format="%(asctime)s %(name)s %(message)s")
    # aiosmtpd's debug output would show the AUTH exchange; without --require-tls it warns on
    # every connection about AUTH without TLS, which is what such an instance offers.
    logging.getLogger("mail.log").setLevel(logging.INFO)
    logging.getLogger("mail.log").addFilter(CommandVerbs())
    warnings.filterwarnings("ignore", message="Requiring AUTH while not requiring TLS")
    tls_context = None
    if args.cert:
        tls_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls_context.load_cert_chain(args.cert, args.key)
    log = logging.getLogger("smtpd")

    user = args.user.encode()

    def authenticator(server, session, envelope, mechanism, auth_data):
        if not isinstance(auth_data, LoginPassword):
            return AuthResult(success=False, handled=False)
        given = hashlib.sha256(auth_data.password).hexdigest()
        ok = auth_data.login == user and hmac.compare_digest(given, args.password_sha256)
        if not ok:
            log.info("Anmeldung abgelehnt (%s)", mechanism)
            return AuthResult(success=False, handled=False)
        return AuthResult(success=True, auth_data=args.user)

    handler = MailDrop(args.mail_dir, log)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(loop.create_server(
        lambda: SMTP(handler, hostname="mail.auktionshaus.example",
                     ident="Auktionshaus Mailserver", decode_data=False,
                     auth_required=True, auth_require_tls=args.require_tls,
                     tls_context=tls_context, require_starttls=args.require_tls,
                     authenticator=authenticator),
        host=args.address, port=args.port, reuse_address=True))

    loop.add_signal_handler(signal.SIGTERM, loop.stop)
    loop.add_signal_handler(signal.SIGINT, loop.stop)

    tmp = args.pid_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % os.getpid())
    os.replace(tmp, args.pid_file)
    try:
        loop.run_forever()
    finally:
        server.close()


if __name__ == "__main__":
    main()
