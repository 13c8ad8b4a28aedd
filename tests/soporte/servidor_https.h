#pragma once
// A real HTTPS server on 127.0.0.1 for the tests: tests/soporte/servidor_https.py
// under python3, with a certificate for 127.0.0.1 made by openssl into a
// temporary folder, on a free port. The client trusts that certificate
// through its CA file. The server stops and the folder goes when the object
// is destroyed.
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

class TServidorHTTPSPrueba {
public:
    static constexpr const char* Usuario = "medidor";
    static constexpr const char* Clave = "s3cr3t0";

    // The running server, or null with the reason in `error`.
    static std::unique_ptr<TServidorHTTPSPrueba> Iniciar(std::string& error);
    ~TServidorHTTPSPrueba();
    TServidorHTTPSPrueba(const TServidorHTTPSPrueba&) = delete;
    TServidorHTTPSPrueba& operator=(const TServidorHTTPSPrueba&) = delete;

    int Puerto() const { return puerto_; }
    pid_t Pid() const { return pid_; }
    const std::string& Carpeta() const { return carpeta_; }
    std::string ArchivoCA() const { return carpeta_ + "/cert.pem"; }
    // "https://127.0.0.1:<port>", with "user:password@" when given.
    std::string UrlBase() const;
    std::string UrlBase(const std::string& usuario, const std::string& clave) const;
    // Request lines received so far, in order.
    std::vector<std::string> Peticiones() const;
    // Makes the window path answer with these bytes for that plant number.
    void ServirVentana(int central, const std::string& cuerpo) const;

private:
    TServidorHTTPSPrueba() = default;
    bool CrearCertificado(std::string& error) const;
    bool Arrancar(std::string& error);

    std::string carpeta_;
    pid_t pid_ = -1;
    int puerto_ = 0;
};
