/* Precise sleep with the runtime lock released.  See zorvex_stub.h. */
#define _POSIX_C_SOURCE 200809L

#include "zorvex_stub.h"

#include <errno.h>
#include <limits.h>
#include <time.h>

/* 2^(bits of time_t - 1): the first whole number of seconds that no
 * longer fits in tv_sec (2^31 where time_t is 32 bits, 2^63 where it is
 * 64 bits).  Exactly representable as a double. */
static double time_t_limit(void)
{
    double limit = 1.0;
    unsigned i;
    for (i = 1; i < sizeof(time_t) * CHAR_BIT; ++i)
        limit *= 2.0;
    return limit;
}

int zorvex_duration_to_timespec(double seconds, struct timespec *out)
{
    time_t whole;
    double fraction_ns;
    long nanos;

    out->tv_sec = 0;
    out->tv_nsec = 0;

    /* Written so that NaN fails both comparisons.  The range is checked
     * before any conversion to an integer type. */
    if (!(seconds >= 0.0))
        return 0; /* negative or NaN */
    if (!(seconds < time_t_limit()))
        return 0; /* infinite or too large for tv_sec */

    whole = (time_t)seconds; /* truncates toward zero; in range */
    /* seconds - whole is exact and lies in [0, 1). */
    fraction_ns = (seconds - (double)whole) * 1e9;
    nanos = (long)fraction_ns; /* truncates toward zero; in [0, 1e9] */
    /* A fraction just below 1 can round up to exactly 1e9 in the
     * multiplication; the truncated true value is 999999999. */
    if (nanos > 999999999L)
        nanos = 999999999L;

    out->tv_sec = whole;
    out->tv_nsec = nanos;
    return 1;
}

zorvex_value zorvex_nanosleep(const double *seconds)
{
    /* Read the duration while the runtime lock is still held. */
    const double duration = *seconds;
    struct timespec req;
    struct timespec rem;
    const int valid = zorvex_duration_to_timespec(duration, &req);

    zorvex_enter_blocking_section();
    if (valid) {
        /* Resume after each interruption with the time that was left;
         * any other error ends the sleep. */
        while (nanosleep(&req, &rem) != 0 && errno == EINTR)
            req = rem;
    }
    zorvex_leave_blocking_section();

    return ZORVEX_UNIT;
}
