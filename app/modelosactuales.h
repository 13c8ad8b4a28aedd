#pragma once
// The current models of the main window and who frees them.
//
// The window holds a current calibrator, a current theoretical park, a
// current combined model, a current solar model and the turbine last picked
// with the mouse. A calibrator owns its park (a combined model, being a
// calibrator, too), so the current park is either the park of a held
// calibrator, which the window never frees by itself, or a park of the
// window's own (a database download). After "Cargar Modelo Calibrado" the
// current calibrator and the current combined model are one object.
//
// Shared ownership does the counting: an object held in two places is freed
// when the last of them lets it go, and exactly once. A displaced object is
// thus freed unless the window still holds it elsewhere. The park and the
// picked turbine follow their owner: once the object that owns them is gone
// they read as none, so nothing points into a freed model.
//
// TTipos names the model types and how to reach a calibrator's park:
//   using Calibrador, Combinado (derived from Calibrador), Parque, Molino, Solar;
//   static Parque* ParqueDe(Calibrador&);
// Only the members used need the types complete, so the window can hold this
// before every model type is defined.
#include <memory>
#include <utility>

template <class TTipos>
class TModelosActuales {
public:
    using Calibrador = typename TTipos::Calibrador;
    using Combinado = typename TTipos::Combinado;
    using Parque = typename TTipos::Parque;
    using Molino = typename TTipos::Molino;
    using Solar = typename TTipos::Solar;

    Calibrador* CalibradorActual() const { return calibrador_.get(); }
    Combinado* ModeloCombinadoActual() const { return combinado_.get(); }
    Solar* GeneradorSolarActual() const { return solar_.get(); }

    Parque* ParqueActual() const {
        if (parquePropio_) return parquePropio_.get();
        return duenioDelParque_.expired() ? nullptr : parqueDeCalibrador_;
    }

    Molino* MolinoSeleccionado() const {
        const bool vivo = molino_.parquePropio ? molino_.parquePropio == parquePropio_.get()
                                               : !molino_.duenio.expired();
        return vivo ? molino_.molino : nullptr;
    }

    // A new current calibrator; the displaced one is freed unless it is also
    // the current combined model. The current park is not changed: showing
    // the calibrator (MostrarParqueDelCalibrador) makes its park current.
    void PonerCalibrador(std::unique_ptr<Calibrador> nuevo) { calibrador_ = std::move(nuevo); }

    // A new current combined model that does not become the calibrator.
    void PonerModeloCombinado(std::unique_ptr<Combinado> nuevo) { combinado_ = std::move(nuevo); }

    // A combined model that becomes both the current combined model and the
    // current calibrator.
    void PonerModeloCombinadoYCalibrador(std::unique_ptr<Combinado> nuevo) {
        std::shared_ptr<Combinado> compartido = std::move(nuevo);
        combinado_ = compartido;
        calibrador_ = std::move(compartido);
    }

    // The current calibrator's park becomes the current park; a park of the
    // window's own is freed.
    void MostrarParqueDelCalibrador() {
        if (!calibrador_) return;
        LiberarParquePropio();
        parqueDeCalibrador_ = TTipos::ParqueDe(*calibrador_);
        duenioDelParque_ = calibrador_;
    }

    // A park of the window's own becomes the current park, freeing the park
    // of the window's own that it displaces.
    void PonerParque(std::unique_ptr<Parque> nuevo) {
        LiberarParquePropio();
        parquePropio_ = std::move(nuevo);
        parqueDeCalibrador_ = nullptr;
        duenioDelParque_.reset();
    }

    // Hands the window's own park to the caller (a calibrator being built
    // takes it); there is no current park afterwards.
    std::shared_ptr<Parque> CederParque() {
        std::shared_ptr<Parque> cedido = std::move(parquePropio_);
        if (cedido && molino_.parquePropio == cedido.get()) molino_ = {};
        parqueDeCalibrador_ = nullptr;
        duenioDelParque_.reset();
        return cedido;
    }

    // The current park and calibrator stop being current and are freed unless
    // held elsewhere (a combined model that was the calibrator goes as well).
    void DescartarParqueYCalibrador() {
        LiberarParquePropio();
        if (combinado_ && calibrador_.get() == static_cast<Calibrador*>(combinado_.get())) combinado_.reset();
        calibrador_.reset();
        parqueDeCalibrador_ = nullptr;
        duenioDelParque_.reset();
    }

    void PonerGeneradorSolar(std::unique_ptr<Solar> nuevo) { solar_ = std::move(nuevo); }
    void DescartarGeneradorSolar() { solar_.reset(); }

    // The picked turbine, a turbine of the current park, or none.
    void SeleccionarMolino(Molino* molino) {
        molino_ = {};
        if (!molino || !ParqueActual()) return;
        molino_.molino = molino;
        if (parquePropio_) molino_.parquePropio = parquePropio_.get();
        else molino_.duenio = duenioDelParque_;
    }

    // On closing the window: every object freed once.
    void LiberarTodo() {
        molino_ = {};
        parquePropio_.reset();
        parqueDeCalibrador_ = nullptr;
        duenioDelParque_.reset();
        combinado_.reset();
        calibrador_.reset();
        solar_.reset();
    }

private:
    // The turbine and what owns its park: the window's own park, or a
    // calibrator (watched, so that freeing it clears the pick).
    struct TMolinoElegido {
        Molino* molino = nullptr;
        const Parque* parquePropio = nullptr;
        std::weak_ptr<Calibrador> duenio;
    };

    void LiberarParquePropio() {
        if (!parquePropio_) return;
        if (molino_.parquePropio == parquePropio_.get()) molino_ = {};
        parquePropio_.reset();
    }

    std::shared_ptr<Calibrador> calibrador_;
    std::shared_ptr<Combinado> combinado_;
    std::shared_ptr<Parque> parquePropio_;  // a park of the window's own, when current
    // The current park when it belongs to a calibrator, valid while that
    // calibrator lives.
    Parque* parqueDeCalibrador_ = nullptr;
    std::weak_ptr<Calibrador> duenioDelParque_;
    std::shared_ptr<Solar> solar_;
    TMolinoElegido molino_;
};
