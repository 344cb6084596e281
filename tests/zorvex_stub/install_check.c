/* Built against an installed copy of zorvex_stub (headers from include/,
 * -lzorvex_stub from lib/), as C and as C++.  Provides a minimal
 * single-threaded runtime and checks the library works through it. */
#include <zorvex_stub.h>

#include <stdio.h>
#include <time.h>

static int entered = 0;
static int left = 0;

#ifdef __cplusplus
extern "C" {
#endif
void zorvex_enter_blocking_section(void) { ++entered; }
void zorvex_leave_blocking_section(void) { ++left; }
#ifdef __cplusplus
}
#endif

int main(void)
{
    struct timespec ts;
    double short_sleep = 0.001;
    double negative = -1.0;
    int failures = 0;

    if (zorvex_duration_to_timespec(1.5, &ts) != 1 || ts.tv_sec != 1 || ts.tv_nsec != 500000000L) {
        fprintf(stderr, "1.5 s did not convert to 1 s and 500000000 ns\n");
        ++failures;
    }
    if (zorvex_nanosleep(&short_sleep) != ZORVEX_UNIT) {
        fprintf(stderr, "a short sleep did not return the unit value\n");
        ++failures;
    }
    if (zorvex_nanosleep(&negative) != ZORVEX_UNIT) {
        fprintf(stderr, "a negative duration did not return the unit value\n");
        ++failures;
    }
    if (entered != 2 || left != 2) {
        fprintf(stderr, "expected 2 enter and 2 leave calls, saw %d and %d\n", entered, left);
        ++failures;
    }
    if (failures == 0)
        printf("installed zorvex_stub works\n");
    return failures == 0 ? 0 : 1;
}
