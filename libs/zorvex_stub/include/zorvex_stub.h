/*
 * zorvex_stub: a precise-sleep primitive for the host runtime.
 *
 * The host runtime runs several threads under one global runtime lock.
 * zorvex_nanosleep() reads its duration, leaves the runtime (releasing that
 * lock so other threads may run), sleeps, and re-enters the runtime before
 * returning.  It keeps no state, so any number of threads may call it at once.
 *
 * A program that links libzorvex_stub.a must provide the two runtime calls
 * declared below; the library defines neither of them.
 */
#ifndef ZORVEX_STUB_H
#define ZORVEX_STUB_H

#include <stdint.h>
#include <time.h>

/* Declared at file scope so the prototype below refers to the same type
 * even when <time.h> is used in a strict ISO mode that hides it. */
struct timespec;

#ifdef __cplusplus
extern "C" {
#endif

/* A runtime value: one machine word, opaque to this library. */
typedef intptr_t zorvex_value;

/* The runtime's unit value: carries no information. */
#define ZORVEX_UNIT ((zorvex_value)1)

/* Provided by the program linking the library (the host runtime). */

/* Releases the runtime lock held by the calling thread so that other
 * threads may run while the caller blocks.  No runtime value may be
 * touched until the matching leave call. */
void zorvex_enter_blocking_section(void);

/* Takes the runtime lock again for the calling thread; blocks until it
 * is available. */
void zorvex_leave_blocking_section(void);

/* Provided by the library. */

/* Converts a duration in seconds to a timespec: tv_sec is the duration
 * truncated toward zero and tv_nsec is the remaining fraction times 1e9,
 * also truncated toward zero (0.025 gives 0 s and 25000000 ns).
 * Returns 1 if the duration can be slept, 0 if it cannot (negative, NaN,
 * infinite, or too large for tv_sec); on 0, *out is set to {0, 0}. */
int zorvex_duration_to_timespec(double seconds, struct timespec *out);

/* Sleeps for *seconds seconds with the runtime lock released, resuming
 * after each interruption by a signal with the time that was left.
 * The duration is read before the lock is released.  A duration that
 * cannot be slept returns at once, still passing through the enter and
 * leave calls.  The calling thread must hold the runtime lock; it holds
 * it again on return.  Returns ZORVEX_UNIT. */
zorvex_value zorvex_nanosleep(const double *seconds);

#ifdef __cplusplus
}
#endif

#endif /* ZORVEX_STUB_H */
