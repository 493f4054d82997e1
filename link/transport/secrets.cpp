// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/secrets.h"

#include <QCoreApplication>

#include <string.h>

namespace korvanta {

namespace {
struct SecretTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};

SecretAsker &installedAsker()
{
    static SecretAsker asker;
    return asker;
}
} // namespace

QString SecretRequest::text() const
{
    if (kind == Password)
        return prompt.isEmpty()
            ? SecretTexts::tr("%1 に %2@%3 としてログインするパスワード:").arg(address, user, host)
            : SecretTexts::tr("%1 (%2@%3) のサーバーの問い: %4").arg(address, user, host, prompt.trimmed());
    return keyFile.isEmpty() ? SecretTexts::tr("%1 にログインする ~/.ssh の鍵のパスフレーズ:").arg(address)
                             : SecretTexts::tr("%1 にログインする鍵 %2 のパスフレーズ:").arg(address, keyFile);
}

void setSecretAsker(SecretAsker asker)
{
    installedAsker() = std::move(asker);
}

bool canAskSecrets()
{
    return bool(installedAsker());
}

std::optional<QByteArray> askSecret(const SecretRequest &request)
{
    if (!installedAsker())
        return std::nullopt;
    return installedAsker()(request);
}

namespace {
template <typename Text>
void wipeText(Text &secret)
{
    if (!secret.isEmpty() && !secret.isDetached())
        secret.clear(); // another holds it too: theirs to wipe
    if (!secret.isEmpty())
        explicit_bzero(secret.data(), size_t(secret.size()) * sizeof(*secret.data()));
    secret.clear();
}
} // namespace

void wipe(QByteArray &secret)
{
    wipeText(secret);
}

void wipe(QString &secret)
{
    wipeText(secret);
}

} // namespace korvanta
