/* The static C++ runtime was built against a glibc that has arc4random (2.36)
 * and draws std::random_device from it. This definition, linked before that
 * runtime, keeps the binaries loading on glibc 2.34 and 2.35. */
#include <errno.h>
#include <stdint.h>
#include <sys/random.h>

__attribute__((visibility("hidden"))) uint32_t arc4random(void) {
    uint32_t value = 0;
    while (getrandom(&value, sizeof value, 0) != (ssize_t)sizeof value && errno == EINTR) {
    }
    return value;
}
