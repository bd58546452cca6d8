#!/usr/bin/env python3
"""The local HTTPS server of the Windows-side and end-to-end tests, on a loopback address only.

    test_https_server.py serve <state dir> <port>

Serves <state dir>/version.html as the version page (written at start with version V0.10 when
missing, rewritten by the tests) and the fixed pages below. While <state dir>/refuse exists the
port is closed, as a server that is down. The certificate is <state dir>/server.pem.

Under /hostile/ it plays the servers the start-up fetch must survive (HOSTILE below). A second
listener, whose port it writes to <state dir>/no-tls-port, accepts connections and answers the
TLS handshake with plain text.
"""
import http.server
import os
import socket
import socketserver
import ssl
import struct
import sys
import threading
import time

HEAD = "最新版本首"
TAIL = "最新版本尾"


def version_page(version):
    return ("<html><head><title>KelvoMAX</title></head><body><p>%s%s%s</p></body></html>"
            % (HEAD, version, TAIL)).encode("gbk")


UTF8_PAGE = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=utf-8">'
             "</head><body>%s中文%s</body></html>" % (HEAD, TAIL)).encode("utf-8")


def gbk_page(inner):
    return ("<html><body>%s</body></html>" % inner).encode("gbk")


def hostile_pages():
    """Pages of the hostile servers that answer at once: path -> (status, body, extra headers)."""
    loop = "/hostile/redirect-loop"
    return {
        "/hostile/no-markers": (200, gbk_page("没有版本 V0.10"), []),
        "/hostile/tail-before-head": (200, gbk_page(TAIL + "V0.99" + HEAD), []),
        "/hostile/markers-twice": (200, gbk_page(HEAD + "V0.10" + TAIL + HEAD + "V9.99" + TAIL), []),
        # 10 MB of filler, the version at its very end.
        "/hostile/ten-megabytes": (200, b"x" * (10 * 1024 * 1024) + version_page("V0.10"), []),
        "/hostile/empty-body": (200, b"", []),
        # The page text ends at the first zero byte, before the markers.
        "/hostile/zero-bytes": (200, b"\0" * 64 + version_page("V0.10"), []),
        "/hostile/unknown-charset": (
            200, b'<meta charset="x-no-such-charset">' + version_page("V0.10"), []),
        # Declared UTF-8 with bytes that are not, around markers that are.
        "/hostile/invalid-utf8": (
            200, b'<meta charset="utf-8">\xff\xfe\xc0\x80\xed\xa0\x80'
            + (HEAD + "V0.10" + TAIL).encode("utf-8") + b"\xe4\xb8", []),
        loop: (302, b"moved", [("Location", loop)]),
        "/hostile/not-found": (404, b"<h1>not found</h1>", []),
        "/hostile/server-error": (500, b"<h1>internal error</h1>", []),
    }


HOSTILE = hostile_pages()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_page(self, status, body, headers=()):
        self.send_response(status)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_GET(self):
        state = self.server.state
        path = self.path
        if path == "/version.html":
            with open(os.path.join(state, "version.html"), "rb") as f:
                self.send_page(200, f.read())
        elif path == "/hello.html":
            self.send_page(200, b"<p>hello</p>")
        elif path == "/redirect":
            self.send_page(302, b"moved", [("Location", "/hello.html")])
        elif path == "/utf8.html":
            self.send_page(200, UTF8_PAGE)
        elif path == "/cookies":
            self.send_page(200, b"ok", [("Set-Cookie", "a=1; Path=/; HttpOnly"),
                                        ("Set-Cookie", "b=2")])
        elif path == "/headers":
            # The request's header lines, as the server received them.
            self.send_page(200, str(self.headers).encode("latin-1"))
        elif path == "/trickle":
            # One byte of a body that never ends, twice a second.
            self.trickle(0.5, 600)
        elif path in ("/silent", "/hostile/silent"):
            # Accepts, reads the request and never answers.
            time.sleep(300)
        elif path in HOSTILE:
            self.send_page(*HOSTILE[path])
        elif path == "/hostile/trickle":
            # One byte of the body every 20 seconds.
            self.trickle(20, 100)
        elif path == "/hostile/reset-mid-body":
            # Half the promised body, the head marker and part of the version, then a reset.
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.write(b"x" * 40000 + (HEAD + "V0.1").encode("gbk"))
            self.wfile.flush()
            time.sleep(0.2)
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
        elif path == "/hostile/closed-at-once":
            # Reads the request and closes without a byte of answer.
            self.close_connection = True
        else:
            self.send_page(404, b"<h1>not found</h1>")

    do_POST = do_GET

    def trickle(self, period, count):
        """Headers at once, then a body of `count` bytes, one byte every `period` seconds."""
        self.send_response(200)
        self.send_header("Content-Length", str(count))
        self.end_headers()
        for _ in range(count):
            self.wfile.write(b".")
            self.wfile.flush()
            time.sleep(period)

    def finish(self):
        # A reset or a client that gave up leaves nothing to flush.
        try:
            super().finish()
        except (OSError, ValueError):
            pass


def serve_no_tls(state):
    """Answers every TLS handshake with plain text and closes."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    with open(os.path.join(state, "no-tls-port"), "w") as f:
        f.write(str(listener.getsockname()[1]))
    while True:
        connection, _ = listener.accept()
        try:
            connection.settimeout(5)
            connection.recv(4096)
            connection.sendall(b"HTTP/1.0 400 Bad Request\r\n\r\nthis port does not speak TLS\r\n")
        except OSError:
            pass
        connection.close()


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

    def finish_request(self, request, client_address):
        # The TLS handshake runs on the request's own thread: a client that never finishes it
        # holds only that thread.
        try:
            request = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        super().finish_request(request, client_address)


def serve(state, port):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(state, "server.pem"))
    page = os.path.join(state, "version.html")
    if not os.path.exists(page):
        with open(page, "wb") as f:
            f.write(version_page("V0.10"))
    refuse = os.path.join(state, "refuse")
    threading.Thread(target=serve_no_tls, args=(state,), daemon=True).start()
    server = None
    while True:
        if os.path.exists(refuse):
            if server is not None:
                server.shutdown()
                server.server_close()
                server = None
        elif server is None:
            server = Server(("127.0.0.1", port), Handler, bind_and_activate=False)
            server.allow_reuse_address = True
            server.socket.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            server.server_bind()
            server.server_activate()
            server.context = context
            server.state = state
            threading.Thread(target=server.serve_forever, args=(0.1,), daemon=True).start()
            with open(os.path.join(state, "ready"), "w") as f:
                f.write(str(port))
        time.sleep(0.05)


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] != "serve":
        sys.exit(__doc__)
    serve(sys.argv[2], int(sys.argv[3]))
