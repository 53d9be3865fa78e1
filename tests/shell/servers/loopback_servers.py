#!/usr/bin/python3
"""HTTP and FTP servers on loopback for the updater's tests.

Usage: loopback_servers.py HTTP_DIR FTP_DIR USER PASSWORD PORTS_FILE
Binds both servers to free ports on 127.0.0.1, writes "http PORT" and "ftp PORT" lines to PORTS_FILE
(complete once it exists), and serves until standard input closes (the test ended) or the process
is killed. Besides the files of HTTP_DIR, the web server answers any path under /endless/ with bytes
that never end, and any path under /stall/ with a few bytes and then nothing.
Needs pyftpdlib, which Debian installs for /usr/bin/python3.
"""
import functools
import http.server
import logging
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if not (self.path.startswith("/endless/") or self.path.startswith("/stall/")):
            return super().do_GET()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.end_headers()
        try:
            if self.path.startswith("/stall/"):
                self.wfile.write(b"\x7fELF")
                self.wfile.flush()
                time.sleep(120)
            while True:
                self.wfile.write(b"v" * 65536)
        except OSError:
            pass  # the client gave up


def main():
    http_dir, ftp_dir, user, password, ports_file = sys.argv[1:6]
    logging.basicConfig(level=logging.ERROR)

    handler = functools.partial(Handler, directory=http_dir)
    http.server.SimpleHTTPRequestHandler.log_message = lambda *args: None
    web = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=web.serve_forever, daemon=True).start()

    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, ftp_dir, perm="elr")
    FTPHandler.authorizer = authorizer
    ftp = FTPServer(("127.0.0.1", 0), FTPHandler)

    with open(ports_file + ".tmp", "w") as out:
        out.write("http %d\nftp %d\n" % (web.server_address[1], ftp.address[1]))
    os.replace(ports_file + ".tmp", ports_file)

    def stop_when_stdin_closes():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    ftp.serve_forever()


if __name__ == "__main__":
    main()
