/* Preloaded by tests: time() answers KELMORA_FIXED_TIME (seconds) so each regeneration of the
 * terrain draws the same seed, while the clocks the windowing library reads keep running. */
#include <stdlib.h>
#include <time.h>

time_t time(time_t* out) {
    const char* fixed = getenv("KELMORA_FIXED_TIME");
    time_t value = fixed != NULL ? (time_t)strtoll(fixed, NULL, 10) : 0;
    if (out != NULL) {
        *out = value;
    }
    return value;
}
