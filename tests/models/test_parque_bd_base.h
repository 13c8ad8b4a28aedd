#pragma once
// A throw-away PostgreSQL server with the project's schema and a small wind
// farm loaded into it: plant 31 "Parque Sur" with three turbines on two power
// curves and its met mast at zone 21, band H. Each test starts from the same
// rows; the connection forgets the statements the loading sent.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/upgsql.h"
#include "prueba_base_de_datos.h"

class ParqueEnBaseDeDatos : public PruebaConBaseDeDatos {
protected:
    void SetUp() override {
        PruebaConBaseDeDatos::SetUp();
        if (HasFatalFailure()) return;
        CargarCentral();
        con_.OlvidarSentencias();
    }

    // The plant row that the window would pass to the download.
    std::unique_ptr<TPgSqlRes> FilaCentral(int nid = kCentral) {
        return con_.sqlexec("SELECT * FROM centrales WHERE nid = " + std::to_string(nid));
    }

    // Statements sent since the last OlvidarSentencias that begin with `inicio`.
    std::vector<std::string> SentenciasQueEmpiezanCon(const std::string& inicio) const {
        std::vector<std::string> r;
        for (const std::string& s : con_.SentenciasEnviadas())
            if (s.rfind(inicio, 0) == 0) r.push_back(s);
        return r;
    }

    // A complete model row of the plant (nothing to repair), numbered 40,
    // with a factor row for every turbine.
    void CargarModeloCompleto() {
        Ejecutar("INSERT INTO modelo_teorico VALUES (40, 31, '2020-01-01 10:00', '2020-01-01 10:00', 2, 0.45, 0.35, "
                 "1.7, 0.03, 20, 19, 9, 1, 800, 'H', 21, 573000, 6137700, 45.5, '[2|3][1][0.9][1.1][1][1.05][0.95]', "
                 "'[2|3][4][8][12][4][8][12]')");
        Ejecutar("INSERT INTO modelo_teorico_etha_molinos VALUES (40, 101, 0.97), (40, 102, 1.02), (40, 103, 0.99)");
    }

    static std::string Mensaje(const std::function<void()>& accion) {
        try {
            accion();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no exception)";
    }

    static constexpr int kCentral = 31;


private:
    void CargarCentral() {
        Ejecutar("INSERT INTO centrales VALUES (31, 'Parque Sur', 20, 'H', 21, 573000, 6137700, 45.5, -34.9, -56.2, "
                 "0.98, 7)");
        Ejecutar("INSERT INTO curvas_aerogen VALUES "
                 "(11, 'Aero X', 90, '[7|3;5;7;9;11;13;25]', '[7|0;0.1;0.45;0.9;1.5;2;2]'), "
                 "(12, 'Aero Y', 80, '[6|3.5;6;8;10;12;20]', '[6|0;0.2;0.5;1;1.5;1.5]')");
        // The factors of `molinos` are not the model's: the download replaces them.
        Ejecutar("INSERT INTO molinos VALUES "
                 "(101, 11, 31, 1, 0.5, 6137950, 572700, 'H', 21), "
                 "(102, 11, 31, 2, 0.5, 6137650, 573250.5, 'H', 21), "
                 "(103, 12, 31, 3, 0.5, 6137300.25, 573100, 'H', 21)");
    }
};
