#pragma once
// Worker threads of a run. The window and every operation stay on the main
// thread; a run may hand independent pieces of pure computation (the model
// powers of its samples) to worker threads for a while and wait for them.
// Work given to a worker never prints, formats numbers, writes files or
// touches Qt.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The environment variable that sets the number of workers of a run.
inline constexpr const char* VariableHilos = "QUENDAL_HILOS";
// The most workers the variable may ask for.
inline constexpr int32_t MaximoHilos = 256;

// The workers of a run: QUENDAL_HILOS when it holds a whole number from 1 to
// MaximoHilos, else every core the machine offers (at least 1, at most
// MaximoHilos). 1 keeps the run on the main thread alone. A value that is
// set but not such a count is ignored, and the console says so (with the
// count used) once: again only after the variable changes.
int32_t HilosDeTrabajo();

// The count QUENDAL_HILOS asks for in `texto`, or 0 when it holds no whole
// number from 1 to MaximoHilos: blanks, signs, fractions, exponents and
// anything after the digits are refused.
int32_t HilosPedidos(const char* texto);

// The console line that says QUENDAL_HILOS = `texto` was ignored and
// `usados` workers run instead.
std::string AvisoHilosIgnorados(const char* texto, int32_t usados);

// How many threads RepartirEnBloques runs for n elements in blocks of
// `bloque` with `hilos` asked for: never more than there are blocks.
int32_t HilosParaBloques(std::size_t n, int32_t hilos, std::size_t bloque);

// Runs trabajo(hilo, desde, hasta) over the elements [0, n) in blocks of
// `bloque` elements, handed out in order to whichever thread asks next. The
// threads are numbered 0 to HilosParaBloques - 1; thread 0 is the calling
// one, which takes its share too. Returns once every block is done. The
// first exception a block raises stops the handing out and is raised again
// here after every thread has ended. A thread that cannot be started leaves
// its blocks to the others.
void RepartirEnBloques(std::size_t n, int32_t hilos, std::size_t bloque,
                       const std::function<void(int32_t hilo, std::size_t desde, std::size_t hasta)>& trabajo);
