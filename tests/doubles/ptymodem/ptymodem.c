/* A virtual null-modem cable for serial tests under Wine: Linux ptys have
 * no modem lines, so the modem-line ioctls fail and Wine then aborts every
 * pending WaitCommEvent. Preloaded into the Wine process, this answers them
 * for pty descriptors only: DSR, CTS and DCD high, DTR and RTS as last set.
 * Test harness only. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int lines_set[4096];
static unsigned char lines_known[4096];

static int is_pty(int fd) {
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return 0;
    unsigned maj = major(st.st_rdev);
    if (maj >= 136 && maj <= 143) return 1;                /* pty slaves */
    if (maj == 5 && minor(st.st_rdev) == 2) return 1;      /* /dev/ptmx */
    return 0;
}

static int modem_lines(int fd, unsigned long request, int* arg) {
    int slot = fd & 4095;
    if (!lines_known[slot]) {
        lines_known[slot] = 1;
        lines_set[slot] = TIOCM_DTR | TIOCM_RTS;
    }
    const int settable = TIOCM_DTR | TIOCM_RTS;
    switch (request) {
    case TIOCMGET:
        *arg = TIOCM_DSR | TIOCM_CTS | TIOCM_CAR | lines_set[slot];
        return 0;
    case TIOCMBIS:
        lines_set[slot] |= *arg & settable;
        return 0;
    case TIOCMBIC:
        lines_set[slot] &= ~(*arg & settable);
        return 0;
    default: /* TIOCMSET */
        lines_set[slot] = *arg & settable;
        return 0;
    }
}

static int is_modem_request(unsigned long r) {
    return r == TIOCMGET || r == TIOCMBIS || r == TIOCMBIC || r == TIOCMSET;
}

int ioctl(int fd, unsigned long request, ...) {
    static ioctl_fn real;
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (is_modem_request(request) && arg && is_pty(fd)) return modem_lines(fd, request, (int*)arg);
    if (!real) real = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
    return real(fd, request, arg);
}

/* 32-bit glibc with 64-bit time calls this name. */
int __ioctl_time64(int fd, unsigned long request, ...) {
    static ioctl_fn real;
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (is_modem_request(request) && arg && is_pty(fd)) return modem_lines(fd, request, (int*)arg);
    if (!real) real = (ioctl_fn)dlsym(RTLD_NEXT, "__ioctl_time64");
    if (!real) real = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
    return real(fd, request, arg);
}
