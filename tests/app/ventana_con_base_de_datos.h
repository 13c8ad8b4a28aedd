// The window's tests against the throw-away PostgreSQL server that holds
// plant 31 "Parque Sur" (three turbines, 20 MW authorised): the server named
// to the window, and a window on it.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTest>
#include <memory>
#include <optional>
#include <string>

#include "app/uQuendal.h"
#include "tests/models/test_parque_bd_base.h"
#include "tests/models/test_solar_comun.h"
#include "variable_entorno.h"

// The test server, named to the window by QUENDAL_BD while the test runs;
// QUENDAL_BD is as it was once the test ends.
class BaseDeDatosDeLaVentana : public ParqueEnBaseDeDatos {
protected:
    void SetUp() override {
        ParqueEnBaseDeDatos::SetUp();
        if (HasFatalFailure()) return;
        quendalBd_.emplace("QUENDAL_BD", servidor_->Conexion().c_str());
    }
    void TearDown() override { quendalBd_.reset(); }

    int Contar(const std::string& sql) { return con_.sqlquery_int(sql, -1); }

private:
    std::optional<VariableDeEntornoFija> quendalBd_;
};

// A window on the test server, with a drive C: of its own; its message boxes
// and error box record what they show and answer as the test says.
class VentanaSobreLaBaseDeDatos : public BaseDeDatosDeLaVentana {
protected:
    void SetUp() override {
        BaseDeDatosDeLaVentana::SetUp();
        if (HasFatalFailure()) return;
        unidad_ = std::make_unique<TUnidadCSolar>();
        ventana = std::make_unique<TFormQuendal>();
        ventana->FijarCuadroDeError([this](const QString& mensaje) {
            errores << mensaje;
            return TRespuestaError::Continuar;
        });
        ventana->FijarCuadroDeMensaje([this](const QString& titulo, const QString& mensaje, bool confirmacion) {
            (confirmacion ? preguntas : avisos) << mensaje;
            if (confirmacion) titulosDePregunta << titulo;
            return respuestaSi;
        });
    }
    void TearDown() override {
        ventana.reset();
        unidad_.reset();
        BaseDeDatosDeLaVentana::TearDown();
    }

    QLineEdit* Caja(const char* nombre) { return ventana->findChild<QLineEdit*>(QString::fromLatin1(nombre)); }
    void Escribir(const char* caja, const char* texto) { Caja(caja)->setText(QString::fromUtf8(texto)); }
    // Clicks the button and returns what the operation wrote to the console.
    std::string Pulsar(const char* boton) {
        auto* b = ventana->findChild<QPushButton*>(QString::fromLatin1(boton));
        EXPECT_NE(b, nullptr) << boton;
        ::testing::internal::CaptureStdout();
        if (b) QTest::mouseClick(b, Qt::LeftButton);
        return ::testing::internal::GetCapturedStdout();
    }

    std::unique_ptr<TFormQuendal> ventana;
    QStringList errores, avisos, preguntas, titulosDePregunta;
    bool respuestaSi = false;

private:
    std::unique_ptr<TUnidadCSolar> unidad_;
};
