// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded by the tests into the programs they start (LD_PRELOAD): getaddrinfo()
// without AI_ADDRCONFIG, and with no question to a name server for a name
// under ".invalid", which no name server knows (RFC 6761). ser2net resolves
// "127.0.0.1" with that flag, and glibc then answers no address at all on a
// machine whose only network is the loopback one (a package build machine,
// `unshare -n`), so ser2net would refuse every port the tests give it (tests/
// consoleserver.h). A test of an unknown host names one under ".invalid": it
// is unknown at once, and nothing leaves the machine (tests/net/).
#include <dlfcn.h>
#include <netdb.h>
#include <string.h>

extern "C" int getaddrinfo(const char *node, const char *service, const struct addrinfo *hints, struct addrinfo **res)
{
    using Resolve = int (*)(const char *, const char *, const struct addrinfo *, struct addrinfo **);
    static const auto next = reinterpret_cast<Resolve>(::dlsym(RTLD_NEXT, "getaddrinfo"));
    if (!next)
        return EAI_SYSTEM;
    static const char kInvalid[] = ".invalid";
    const size_t length = node ? ::strlen(node) : 0;
    if (length >= sizeof kInvalid - 1 && ::strcasecmp(node + length - (sizeof kInvalid - 1), kInvalid) == 0)
        return EAI_NONAME;
    if (!hints)
        return next(node, service, hints, res);
    struct addrinfo plain = *hints;
    plain.ai_flags &= ~AI_ADDRCONFIG;
    return next(node, service, &plain, res);
}
