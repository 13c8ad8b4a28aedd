#pragma once
// A child run of the test binary itself, limited to one test or a filter of
// tests: the way to watch a test that crashes, aborts or is killed from the
// outside. The child's standard output and error go into one pipe that this
// object reads; the child inherits no other descriptor, and it finds the
// variable QUENDAL_PRUEBA_HIJA set, by which the tests that only make sense
// as such a child (disabled ones, run with --gtest_also_run_disabled_tests)
// know they are one.
#include <sys/types.h>

#include <optional>
#include <string>

class TPruebaHija {
public:
    static constexpr const char* Variable = "QUENDAL_PRUEBA_HIJA";
    // Whether this process is such a child run.
    static bool SoyHija();

    // Starts the binary with --gtest_filter=filtro. Throws std::runtime_error
    // when the child cannot be started.
    explicit TPruebaHija(const std::string& filtro);
    // A child still running is killed and reaped.
    ~TPruebaHija();
    TPruebaHija(const TPruebaHija&) = delete;
    TPruebaHija& operator=(const TPruebaHija&) = delete;

    // Reads the pipe until what was read holds `buscado`, the pipe ends or
    // `esperaMs` milliseconds have passed; true when it holds it.
    bool LeerHasta(const std::string& buscado, int esperaMs);
    // Reads the pipe to its end; false when `esperaMs` milliseconds pass
    // first, that is while some process still holds its write end.
    bool LeerHastaElFin(int esperaMs);
    // Everything read so far.
    const std::string& Salida() const { return salida_; }

    pid_t Pid() const { return pid_; }
    // Kills the child with SIGKILL and reaps it.
    void Matar();
    // Waits at most `esperaMs` milliseconds for the child to end; its wait
    // status, or nothing when it is still running.
    std::optional<int> Esperar(int esperaMs);

private:
    // Reads what is there within `esperaMs`; false at the end of the pipe or
    // when the time is up.
    bool LeerAlgo(int esperaMs);

    pid_t pid_ = -1;
    int lectura_ = -1;
    bool fin_ = false;
    std::string salida_;
};
