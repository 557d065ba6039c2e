#!/usr/bin/python3
"""A pyftpdlib server for the tests: serves ROOT on 127.0.0.1:PORT to USER/PASSWORD."""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    port, root, user, password, pasv_low, pasv_high = sys.argv[1:7]
    # An optional eighth argument limits data connections to that many bytes/s.
    rate = int(sys.argv[7]) if len(sys.argv) > 7 else 0
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = range(int(pasv_low), int(pasv_high) + 1)
    handler.permit_foreign_addresses = True
    if rate > 0:
        dtp = ThrottledDTPHandler
        dtp.read_limit = rate
        dtp.write_limit = rate
        handler.dtp_handler = dtp
    server = FTPServer(("127.0.0.1", int(port)), handler)
    # One line per transfer on stderr ("RETR ... completed=1 bytes=N"), for the tests.
    logging.basicConfig(level=logging.INFO, stream=sys.stderr)
    server.serve_forever()


if __name__ == "__main__":
    main()
