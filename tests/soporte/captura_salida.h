#pragma once
// Capturing standard output or error in tests without leaving a capture open.
//
// GoogleTest allows one capture of each stream at a time: a test that throws
// between testing::internal::CaptureStdout and GetCapturedStdout leaves its
// capture open, and the next capture aborts the whole binary. TCapturaSalida
// ends its capture on every exit path; the shared test main also ends any
// capture still open when a test starts or ends (LiberarCapturasAbiertas),
// so a plain capture that a throw skips past costs only its own test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

enum class TFlujoCapturado { Salida, Error };

class TCapturaSalida {
public:
    explicit TCapturaSalida(TFlujoCapturado flujo = TFlujoCapturado::Salida) : flujo_(flujo) {
        if (flujo_ == TFlujoCapturado::Salida)
            ::testing::internal::CaptureStdout();
        else
            ::testing::internal::CaptureStderr();
    }
    ~TCapturaSalida() {
        if (abierta_) Texto();
    }
    TCapturaSalida(const TCapturaSalida&) = delete;
    TCapturaSalida& operator=(const TCapturaSalida&) = delete;

    // Ends the capture and returns what the stream received; later calls,
    // or a call after something else ended the capture, return an empty text.
    std::string Texto();

private:
    TFlujoCapturado flujo_;
    bool abierta_ = true;
};

// Whether a GoogleTest capture holds the descriptor (1 or 2): while it does,
// the descriptor is GoogleTest's temporary capture file.
inline bool CapturaAbierta(int descriptor) {
    const std::string enlace = "/proc/self/fd/" + std::to_string(descriptor);
    char destino[4096];
    const ssize_t largo = readlink(enlace.c_str(), destino, sizeof(destino) - 1);
    if (largo <= 0) return false;
    return std::string(destino, static_cast<std::size_t>(largo)).find("/gtest_captured_stream.") != std::string::npos;
}

inline std::string TCapturaSalida::Texto() {
    if (!abierta_) return {};
    abierta_ = false;
    if (flujo_ == TFlujoCapturado::Salida)
        return CapturaAbierta(STDOUT_FILENO) ? ::testing::internal::GetCapturedStdout() : std::string();
    return CapturaAbierta(STDERR_FILENO) ? ::testing::internal::GetCapturedStderr() : std::string();
}

// Ends the captures still open and hands what they held to the real streams
// under a note, so that failure messages written during the capture are seen.
// Returns how many captures it ended.
inline int LiberarCapturasAbiertas() {
    int liberadas = 0;
    if (CapturaAbierta(STDOUT_FILENO)) {
        const std::string texto = ::testing::internal::GetCapturedStdout();
        std::fprintf(stdout, "[captura de la salida estándar que quedó abierta; contenía:]\n%s\n[fin de la captura]\n",
                     texto.c_str());
        std::fflush(stdout);
        ++liberadas;
    }
    if (CapturaAbierta(STDERR_FILENO)) {
        const std::string texto = ::testing::internal::GetCapturedStderr();
        std::fprintf(stderr, "[captura de la salida de errores que quedó abierta; contenía:]\n%s\n[fin de la captura]\n",
                     texto.c_str());
        std::fflush(stderr);
        ++liberadas;
    }
    return liberadas;
}

// Test listener of the shared main: no capture outlives the test, or the
// suite set-up, that opened it.
class TLiberadorDeCapturas : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { LiberarCapturasAbiertas(); }
    void OnTestEnd(const ::testing::TestInfo&) override { LiberarCapturasAbiertas(); }
    void OnTestSuiteEnd(const ::testing::TestSuite&) override { LiberarCapturasAbiertas(); }
};
