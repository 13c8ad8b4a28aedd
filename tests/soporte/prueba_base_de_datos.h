#pragma once
// Fixture of the tests that need a database: one throw-away PostgreSQL server
// per test suite (see servidor_pg.h), the schema loaded again before each
// test and a connection open on it. A server that cannot start fails every
// test of the suite with the reason; it never passes silently.
#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>

#include "data/upgsql.h"
#include "servidor_pg.h"

class PruebaConBaseDeDatos : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        errorDeArranque_.clear();
        try {
            servidor_ = std::make_unique<TServidorPgPrueba>();
        } catch (const std::exception& e) {
            errorDeArranque_ = e.what();
        }
    }
    static void TearDownTestSuite() { servidor_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(servidor_) << "The test PostgreSQL server could not be started: " << errorDeArranque_;
        servidor_->ReiniciarEsquema();
        con_.Open(servidor_->Conexion());
    }

    void Ejecutar(const std::string& sql) { con_.sqlexec_ntuples(sql); }

    static inline std::unique_ptr<TServidorPgPrueba> servidor_;
    static inline std::string errorDeArranque_;
    TPgSqlCon con_;
};
