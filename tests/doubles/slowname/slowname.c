/* A slow name service for mail tests under Wine: preloaded into the Wine
 * process, it answers the one name in VX_SLOW_NAME with 127.0.0.1, after
 * VX_SLOW_NAME_MS milliseconds; every other name goes to the system as
 * before. Wine's sockets resolve names through the host's getaddrinfo, so
 * a program's lookup of that name takes that long wherever it is made.
 * Test harness only. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <netdb.h>
#include <stdlib.h>
#include <strings.h>
#include <time.h>

typedef int (*getaddrinfo_fn)(const char*, const char*, const struct addrinfo*, struct addrinfo**);

int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints, struct addrinfo** res) {
    static getaddrinfo_fn real;
    if (!real) real = (getaddrinfo_fn)dlsym(RTLD_NEXT, "getaddrinfo");
    const char* slow = getenv("VX_SLOW_NAME");
    if (node && slow && *slow && strcasecmp(node, slow) == 0) {
        const char* ms = getenv("VX_SLOW_NAME_MS");
        long d = ms ? atol(ms) : 10000;
        struct timespec t = {d / 1000, (d % 1000) * 1000000L};
        while (nanosleep(&t, &t) == -1 && errno == EINTR) {
        }
        node = "127.0.0.1";
    }
    return real(node, service, hints, res);
}
