// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into ser2net by the tests (LD_PRELOAD, tests/consoleserver.h): its
// getaddrinfo() without AI_ADDRCONFIG. ser2net resolves "127.0.0.1" with
// that flag, and glibc then answers no address at all on a machine whose only
// network is the loopback one (a package build machine, `unshare -n`), so
// ser2net would refuse every port the tests give it.
#include <dlfcn.h>
#include <netdb.h>

extern "C" int getaddrinfo(const char *node, const char *service, const struct addrinfo *hints, struct addrinfo **res)
{
    using Resolve = int (*)(const char *, const char *, const struct addrinfo *, struct addrinfo **);
    static const auto next = reinterpret_cast<Resolve>(::dlsym(RTLD_NEXT, "getaddrinfo"));
    if (!next)
        return EAI_SYSTEM;
    if (!hints)
        return next(node, service, hints, res);
    struct addrinfo plain = *hints;
    plain.ai_flags &= ~AI_ADDRCONFIG;
    return next(node, service, &plain, res);
}
