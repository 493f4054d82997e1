// SPDX-License-Identifier: GPL-3.0-or-later
// One libFuzzer program: the driver named by KORVANTA_FUZZ_TARGET, its
// findings turned into a crash so that libFuzzer keeps the input.

#include "fuzz/drivers.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifndef KORVANTA_FUZZ_TARGET
#error "KORVANTA_FUZZ_TARGET names the driver"
#endif

namespace {
const korvanta::fuzz::Target *driver = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    // The identification runs the event loop while it waits.
    static int argc = 1;
    static char *args[] = {(*argv)[0], nullptr};
    static QCoreApplication app(argc, args);
    driver = korvanta::fuzz::target(KORVANTA_FUZZ_TARGET);
    if (!driver) {
        std::fprintf(stderr, "no driver %s\n", KORVANTA_FUZZ_TARGET);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto findings = driver->run(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (findings.isEmpty())
        return 0;
    for (const QString &f : findings)
        std::fprintf(stderr, "finding: %s\n", qPrintable(f));
    std::abort();
}
