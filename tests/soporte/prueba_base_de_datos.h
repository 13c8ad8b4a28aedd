#pragma once
// Fixture of the tests that need a database: one throw-away PostgreSQL server
// per test suite (see servidor_pg.h), the schema loaded again before each
// test and a connection open on it that records the statements it sends
// (see conexion_registrada.h). A server that cannot start fails every
// test of the suite with the reason; it never passes silently.
#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>

#include "conexion_registrada.h"
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

    // Ends every other client connection to the database from the server's
    // side, as an administrator or a restart would, and waits until they are
    // gone; the number ended.
    int TerminarLasOtrasConexiones() {
        return con_.sqlquery_int("SELECT count(*) FILTER (WHERE pg_terminate_backend(pid, 10000)) "
                                 "FROM pg_stat_activity WHERE datname = current_database() "
                                 "AND pid <> pg_backend_pid() AND backend_type = 'client backend'",
                                 -1);
    }

    static inline std::unique_ptr<TServidorPgPrueba> servidor_;
    static inline std::string errorDeArranque_;
    TPgSqlConRegistrada con_;
};
