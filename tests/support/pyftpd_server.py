#!/usr/bin/python3
"""A pyftpdlib server for the tests: serves ROOT on 127.0.0.1:PORT to USER/PASSWORD."""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    port, root, user, password, pasv_low, pasv_high = sys.argv[1:7]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = range(int(pasv_low), int(pasv_high) + 1)
    handler.permit_foreign_addresses = True
    server = FTPServer(("127.0.0.1", int(port)), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
