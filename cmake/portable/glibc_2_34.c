/* Definitions that keep the bundle and pulvan loading on glibc 2.34, though
 * they are built against a newer one. Hidden: they serve the binary they are
 * linked into and nobody else. */
#include <errno.h>
#include <stdint.h>
#include <sys/random.h>

/* The static C++ runtime was built where glibc has arc4random (2.36) and draws
 * std::random_device from it. */
__attribute__((visibility("hidden"))) uint32_t arc4random(void) {
    uint32_t value = 0;
    while (getrandom(&value, sizeof value, 0) != (ssize_t)sizeof value && errno == EINTR) {
    }
    return value;
}

/* glibc 2.35 gave hypot a new symbol version; the older one computes the same
 * values and every glibc since 2.2.5 has it. */
double pulvan_glibc_hypot(double x, double y);
__asm__(".symver pulvan_glibc_hypot, hypot@GLIBC_2.2.5");
__attribute__((visibility("hidden"))) double hypot(double x, double y) { return pulvan_glibc_hypot(x, y); }
