#!/usr/bin/env python3
"""Local HTTPS server for the data-service download tests.

Binds 127.0.0.1 on a free port, prints "PUERTO <n>" as its first line and
serves until it is terminated, or until the test process that started it
(its parent) is gone. Every request line is appended to peticiones.log in the
given folder.

Paths:
  /cgi-bin/IntranetApp/ventanaEAS_Horaria?central=..&dtIni=..&dtFin=..
        with the right basic authentication: the hourly window of the plant,
        read from ventana_<central>.bin in the folder when that file exists,
        else built for the year of dtIni (slot k holds k / 2, quality 1);
        wrong or missing credentials: 401; a missing query key: 400
  /vacio      200 with an empty body
  /error      500
  /movido     301 to /vacio          /temporal   302 to /vacio
  /html       200 with an HTML page
  /mudo       never answers (until the server stops)
  /goteo      200 announcing 1000 bytes, then sends one byte every half
              second, at most 60 of them (until the client leaves or the
              server stops)
  /eco        200 echoing the request line and headers
  /grande     200 announcing 64 MiB + 1 bytes of body
  /grande_sin_largo  200 sending 64 MiB + 1 bytes without announcing a length
  anything else: 404
"""
import argparse
import base64
import datetime
import http.server
import os
import shutil
import ssl
import struct
import sys
import threading
import time
import urllib.parse

RUTA_VENTANA = "/cgi-bin/IntranetApp/ventanaEAS_Horaria"
DIA_CERO = datetime.date(1899, 12, 30)
MAS_DE_64_MIB = (64 << 20) + 1
BYTES_GOTEO = 60


def ventana_horaria(anio, central):
    """Stream form of an hourly window of a whole year (little-endian)."""
    inicio = (datetime.date(anio, 1, 1) - DIA_CERO).days
    dias = (datetime.date(anio + 1, 1, 1) - datetime.date(anio, 1, 1)).days
    registros = b"".join(struct.pack("<dBd", k / 2.0, 1, float(inicio)) for k in range(dias * 24))
    return struct.pack("<iidi", 1, central, float(inicio), len(registros)) + registros


class Manejador(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, formato, *args):
        pass

    def responder(self, codigo, cuerpo=b"", tipo="application/octet-stream", cabeceras=()):
        self.send_response(codigo)
        for nombre, valor in cabeceras:
            self.send_header(nombre, valor)
        self.send_header("Content-Type", tipo)
        self.send_header("Content-Length", str(len(cuerpo)))
        self.end_headers()
        self.wfile.write(cuerpo)

    def do_GET(self):
        with open(os.path.join(self.server.carpeta, "peticiones.log"), "a", encoding="utf-8") as log:
            log.write(self.requestline + "\n")
        url = urllib.parse.urlsplit(self.path)
        if url.path == RUTA_VENTANA:
            self.ventana(urllib.parse.parse_qs(url.query))
        elif url.path == "/vacio":
            self.responder(200)
        elif url.path == "/error":
            self.responder(500, b"error interno", "text/plain")
        elif url.path == "/movido":
            self.responder(301, cabeceras=[("Location", "/vacio")])
        elif url.path == "/temporal":
            self.responder(302, cabeceras=[("Location", "/vacio")])
        elif url.path == "/html":
            pagina = b"<!DOCTYPE html><html><body><h1>Servicio no disponible</h1></body></html>"
            self.responder(200, pagina, "text/html")
        elif url.path == "/mudo":
            self.server.parado.wait()
        elif url.path == "/goteo":
            self.gotear()
        elif url.path == "/eco":
            eco = self.requestline + "\r\n" + str(self.headers)
            self.responder(200, eco.encode("latin-1"), "text/plain")
        elif url.path == "/grande":
            self.send_response(200)
            self.send_header("Content-Length", str(MAS_DE_64_MIB))
            self.end_headers()
        elif url.path == "/grande_sin_largo":
            self.enviar_sin_largo(MAS_DE_64_MIB)
        else:
            self.responder(404, b"no encontrado", "text/plain")

    def enviar_sin_largo(self, total):
        self.send_response(200)
        self.end_headers()
        bloque = b"x" * (1 << 20)
        try:
            while total > 0:
                n = min(total, len(bloque))
                self.wfile.write(bloque[:n])
                total -= n
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass

    def gotear(self):
        """Fast enough for any lowest-speed limit, far too slow to finish."""
        self.send_response(200)
        self.send_header("Content-Length", "1000")
        self.end_headers()
        try:
            for _ in range(BYTES_GOTEO):
                if self.server.parado.wait(0.5):
                    return
                self.wfile.write(b"x")
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass

    def ventana(self, consulta):
        esperado = "Basic " + base64.b64encode(self.server.credenciales.encode()).decode()
        if self.headers.get("Authorization") != esperado:
            self.responder(401, b"no autorizado", "text/plain",
                           [("WWW-Authenticate", 'Basic realm="medicion"')])
            return
        try:
            central = int(consulta["central"][0])
            anio = int(consulta["dtIni"][0][:4])
            consulta["dtFin"][0]
        except (KeyError, ValueError):
            self.responder(400, b"consulta incompleta", "text/plain")
            return
        archivo = os.path.join(self.server.carpeta, "ventana_%d.bin" % central)
        if os.path.exists(archivo):
            with open(archivo, "rb") as f:
                cuerpo = f.read()
        else:
            cuerpo = ventana_horaria(anio, central)
        self.responder(200, cuerpo)


def vigilar_padre(padre, carpeta):
    """Ends the process, and removes its folder, once its parent (the test
    process) has died."""
    while os.getppid() == padre:
        time.sleep(0.2)
    shutil.rmtree(carpeta, ignore_errors=True)
    os._exit(0)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--cert", required=True)
    p.add_argument("--key", required=True)
    p.add_argument("--carpeta", required=True)
    p.add_argument("--usuario", required=True)
    p.add_argument("--clave", required=True)
    a = p.parse_args()

    servidor = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Manejador)
    servidor.daemon_threads = True
    servidor.carpeta = a.carpeta
    servidor.credenciales = a.usuario + ":" + a.clave
    servidor.parado = threading.Event()
    contexto = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    contexto.load_cert_chain(a.cert, a.key)
    # The handshake runs in each request's own thread, on its first read.
    servidor.socket = contexto.wrap_socket(servidor.socket, server_side=True,
                                           do_handshake_on_connect=False)
    threading.Thread(target=vigilar_padre, args=(os.getppid(), a.carpeta), daemon=True).start()
    print("PUERTO %d" % servidor.server_address[1], flush=True)
    try:
        servidor.serve_forever()
    finally:
        servidor.parado.set()


if __name__ == "__main__":
    sys.exit(main())
