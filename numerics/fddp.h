#pragma once
// One-dimensional probability distributions on a support [x_min, x_max]:
// density, cumulative distribution, quantile and a random variate drawn by
// inversion from an attached uniform generator.
//
// Tf_ddp is the abstract base. Its cumulative distribution integrates the
// density by Romberg; its quantile solves the distribution by bisection.
// TMadreUniforme is the uniform distribution on [0, 1) and, through its
// Sortear, the subtractive generator (modulus 10^9, seed constant
// 161803398) that every distribution draws from.
#include <array>
#include <cstdint>
#include <memory>

class TMadreUniforme;

class Tf_ddp {
public:
    // Seed of the generator; a negative value asks the generator to rebuild
    // its table on the next draw. 64 bits so that negating any 32-bit seed is
    // exact.
    int64_t semilla = 0;
    // The uniform source of Sortear; owned when the distribution created it.
    TMadreUniforme* generador = nullptr;
    // Step of the incremental distribution; 0 (the value at creation) makes it
    // use DistribucionPorIntegral.
    double paso = 0.0;
    double P_min = 0.0;
    double x_min = 0.0;
    double P_max = 1.0;
    double x_max = 1.0;
    // The incremental distribution's running value and the point where it holds.
    double valorAcumulado = 0.0;
    double ultimoPunto = 0.0;
    // The probability sought by the quantile's root search.
    double objetivo = 0.0;

    virtual ~Tf_ddp();
    Tf_ddp(const Tf_ddp&) = delete;
    Tf_ddp& operator=(const Tf_ddp&) = delete;

    virtual double Densidad(double x) = 0;
    // The incremental distribution.
    virtual double Distribucion(double x);
    // P_min plus the Romberg integral of the density from x_min to x, with
    // tolerance UmbralCero; the last estimate when ten levels do not reach it.
    virtual double DistribucionPorIntegral(double x);
    // Advances from the last point toward x in steps of `paso`, adding the
    // Romberg integral of the density over each (tolerance 1e-4), and keeps
    // the value and the point reached. Without a usable step (0, negative, or
    // more than 10000 steps away) it takes DistribucionPorIntegral(x).
    virtual double DistribucionIncremental(double x);
    // Quantile: x_min for u <= P_min, x_max for u >= P_max, otherwise the root
    // of DistribucionPorIntegral(x) - u on [x_min, x_max] by bisection
    // (tolerance 1e-4, at most 1000 halvings). Raises
    // " Problema de convergencia , area: <u>" when the search fails.
    virtual double Inversa(double u);
    // Inversa of the generator's next uniform number.
    virtual double Sortear();
    // Stores the negated seed when it is positive, else the seed unchanged.
    virtual void FijarSemilla(int32_t nuevaSemilla);

protected:
    // Create: no generator.
    Tf_ddp(double xMin, double pMin, double xMax, double pMax, int32_t semillaInicial);
    // Create_ConGenerador: a null generador makes the distribution create
    // TMadreUniforme(semillaInicial) and own it; a given one is not owned.
    Tf_ddp(double xMin, double pMin, double xMax, double pMax, TMadreUniforme* generadorDado,
           int32_t semillaInicial);

private:
    std::unique_ptr<TMadreUniforme> generadorPropio_;
};

class TMadreUniforme : public Tf_ddp {
public:
    explicit TMadreUniforme(int32_t semillaInicial);
    static std::unique_ptr<TMadreUniforme> Create(int32_t semillaInicial) {
        return std::make_unique<TMadreUniforme>(semillaInicial);
    }

    double Densidad(double x) override;
    double Distribucion(double x) override;
    double DistribucionPorIntegral(double x) override;
    double DistribucionIncremental(double x) override;
    double Inversa(double u) override;
    // The next number of the sequence, a multiple of 1e-9 in [0, 1). Seed 0
    // never builds the table, so every draw gives 0.
    double Sortear() override;
    void FijarSemilla(int32_t nuevaSemilla) override;

private:
    void ConstruirTabla();

    int32_t indice1_ = 0;
    int32_t indice2_ = 0;
    std::array<int32_t, 56> tabla_{};  // entries 1..55
};
