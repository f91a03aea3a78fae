#!/usr/bin/python3
"""A file server without TLS, as the local auction house had before its file server was vsftpd
with TLS; the tests start it to show how the program meets a server that offers no TLS.

One login with write access, its root a private folder (the client never sees anything above
it). Active mode only: in clear text the listing tool connects data channels actively, so
passive requests are refused instead of silently working. Every command and
reply goes to the log (PASS is masked by pyftpdlib). The password arrives as a SHA-256 digest so
that neither the command line nor this file carries it.
"""
import argparse
import hashlib
import hmac
import logging
import os
import signal
import sys

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class DigestAuthorizer(DummyAuthorizer):
    def __init__(self, user, digest):
        super().__init__()
        self._user = user
        self._digest = digest

    def validate_authentication(self, username, password, handler):
        given = hashlib.sha256(password.encode("utf-8", "surrogateescape")).hexdigest()
        if username != self._user or not hmac.compare_digest(given, self._digest):
            raise AuthenticationFailed("Login incorrect.")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--address", required=True)
    ap.add_argument("--port", type=int, default=21)
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", required=True)
    ap.add_argument("--password-sha256", required=True)
    ap.add_argument("--log", required=True)
    ap.add_argument("--pid-file", required=True)
    args = ap.parse_args()

    logging.basicConfig(filename=args.log, level=logging.DEBUG,
                        format="%(asctime)s %(message)s")
    # DEBUG is needed for the command lines; the event loop's own "call:" lines are noise.
    for h in logging.getLogger().handlers:
        h.addFilter(lambda r: not str(r.msg).startswith("call: "))

    authorizer = DigestAuthorizer(args.user, args.password_sha256)
    # e l r a d f m w M T: everything a picture store needs, including overwrite and delete.
    authorizer.add_user(args.user, "", os.path.realpath(args.root), perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Bildserver des Auktionshauses bereit."
    Handler.auth_failed_timeout = 0
    Handler.permit_foreign_addresses = False
    Handler.permit_privileged_ports = False
    Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items()
                          if k not in ("PASV", "EPSV")}

    server = FTPServer((args.address, args.port), Handler)
    server.max_cons = 64

    def stop(*_):
        server.close_all()
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    # The pid file appears only once the port is bound: the start script waits for it.
    tmp = args.pid_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % os.getpid())
    os.replace(tmp, args.pid_file)
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
